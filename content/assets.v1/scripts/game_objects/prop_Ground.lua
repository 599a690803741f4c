-- A strip of ground drawn along a floor, behind the props; areas place and stretch their own
-- (64 wide and 16 high unscaled).
prop_Ground = {
  object_name = "地面",          -- "Ground"
  object_tag = "Ground",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 0, y = 8, z = 20 }, scaling = { x = 1, y = 0.5 } },
    SpriteRenderer = {},
    TextureAtlas = { atlasName = "ground_strip" },
  },
}
