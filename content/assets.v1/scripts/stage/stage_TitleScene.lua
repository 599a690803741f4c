-- The title screen, the first stage the game builds: a sky, the logo and the menu, seen
-- through both cameras.
stage_TitleScene = {
  object_name = "タイトル画面",  -- "Title screen"
  object_tag = "Stage",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = {},
  },
  -- Built last entry first: the finished children run camera, screen camera, sky, logo, menu.
  children = {
    { base_script = "title_Menu" },
    { base_script = "title_Logo" },
    { base_script = "prop_Backdrop", object_name = "空" }, -- "Sky"
    { base_script = "ui_camera" },
    { base_script = "camera" },
  },
}
