-- The home base's house: a building with a door and a sign that shows only when a quest waits.
prop_House = {
  object_name = "家",            -- "House"
  object_tag = "Building",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 640, y = 400 } },
  },
  children = {
    { base_script = "prop_Door" },
    { base_script = "prop_Sign", object_activity = INACTIVE },
  },
}
