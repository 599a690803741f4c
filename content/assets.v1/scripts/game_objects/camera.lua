-- The stage camera: what the world is seen through.
camera = {
  object_name = "カメラ",        -- "Camera"
  object_tag = "GameCamera",
  object_layer = LAYER_CAMERA,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 480, y = 270 } },
  },
}
