-- The title's UI tree: its panels are opened by tag and drawn by the screen camera.
ui_root_title = {
  object_name = "タイトルUI",    -- "Title UI"
  object_tag = "UIRoot",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    UIRoot = { camera = "UICamera" },
  },
  children = {
    { base_script = "ui_title_select" },
    { base_script = "ui_title_logo" },
  },
}
