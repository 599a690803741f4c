-- A far backdrop, drawn behind everything; stages name and place their own.
prop_Backdrop = {
  object_name = "背景",          -- "Backdrop"
  object_tag = "Backdrop",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 480, y = 270, z = 90 } },
  },
}
