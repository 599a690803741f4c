-- A signboard over a door.
prop_Sign = {
  object_name = "看板",          -- "Signboard"
  object_tag = "Sign",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 0, y = -60 } },
  },
}
