-- The screen camera: menus and the HUD are placed in its fixed 960 x 540 view.
ui_camera = {
  object_name = "画面カメラ",    -- "Screen camera"
  object_tag = "UICamera",
  object_layer = LAYER_CAMERA,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 480, y = 270 } },
    Camera2D = { screenSize = { width = 960, height = 540 } },
  },
}
