-- A comet: a star that leaves fading copies of itself in the stage's blur colour while its
-- tail is switched on.
prop_Comet = {
  object_name = "ほうき星",      -- "Comet"
  object_tag = "Comet",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 6 } },
    SpriteRenderer = {},
    TextureAtlas = { atlasName = "fx_hit_0" },
  },
  children = {
    { base_script = "prop_CometTail" },
  },
}
