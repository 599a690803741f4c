-- The stage camera: what the world is seen through. It follows its target on a spring once the
-- player controller gives it one.
camera = {
  object_name = "カメラ",        -- "Camera"
  object_tag = "GameCamera",
  object_layer = LAYER_CAMERA,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 480, y = 270 } },
    Camera2D = {
      screenSize = { width = 960, height = 540 },
      spring = { length = 0, springConst = 6, dumpConst = 4 },
    },
  },
}
