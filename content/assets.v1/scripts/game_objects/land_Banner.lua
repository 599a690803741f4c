-- Landscape: scattered by the areas' landscape factories, drawn behind the props and the ground
-- strips; nothing collides with it.
land_Banner = {
  object_name = "旗",            -- "Banner"
  object_tag = "Landscape",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 30 } },
    SpriteRenderer = {},
    TextureAtlas = { atlasName = "land_banner" },
  },
}
