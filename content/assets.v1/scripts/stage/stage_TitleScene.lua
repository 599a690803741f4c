-- The title screen, the first stage the game builds: a sky, the logo, a framed panel with a
-- gauge, the heroine standing, and the menu, seen through both cameras.
stage_TitleScene = {
  object_name = "タイトル画面",  -- "Title screen"
  object_tag = "Stage",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = {},
  },
  -- Built last entry first: the finished children run camera, screen camera, sky, heroine,
  -- panel, logo, menu, then the UI tree.
  children = {
    { base_script = "ui_root_title" },
    { base_script = "title_Menu" },
    { base_script = "title_Logo" },
    { base_script = "title_Panel" },
    { base_script = "title_Player" },
    { base_script = "prop_Backdrop", object_name = "空" }, -- "Sky"
    { base_script = "ui_camera" },
    { base_script = "camera" },
  },
}
