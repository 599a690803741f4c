-- A door, part of a building.
prop_Door = {
  object_name = "扉",            -- "Door"
  object_tag = "Door",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 0, y = 40 } },
  },
}
