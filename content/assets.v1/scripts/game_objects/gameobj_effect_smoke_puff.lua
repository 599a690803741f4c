-- One puff of smoke: the piece the death and dash effects are made of.
gameobj_effect_smoke_puff = {
  object_name = "煙",  -- "Smoke"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = { position = { z = 3 } }, SpriteRenderer = {}, SpriteAnimation = { stand_loop = { "fx_smoke" } } },
}
