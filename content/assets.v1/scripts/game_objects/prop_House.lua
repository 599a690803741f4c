-- The home base's house: a building with a door and a sign that shows only when a quest waits.
prop_House = {
  object_name = "家",            -- "House"
  object_tag = "Building",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    -- On the yard's ground (the stage's bottom is y 0), its door behind the save point.
    Transform = { position = { x = 440, y = 96, z = 24 } },
    SpriteRenderer = {},
    TextureAtlas = { atlasName = "prop_house" },
  },
  children = {
    { base_script = "prop_Door" },
    { base_script = "prop_Sign", object_activity = INACTIVE },
  },
}
