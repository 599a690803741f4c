-- Two puffs that wait a fifth of a second.
gameobj_effect_late_puffs = {
  object_name = "遅い煙",  -- "Late smoke"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = {}, EffectController = { delay = 0.2 } },
  children = {
    { base_script = "gameobj_effect_smoke_puff", components = { Transform = { position = { x = 0, y = 20, z = 3 } } } },
    { base_script = "gameobj_effect_smoke_puff", components = { Transform = { position = { x = 0, y = -20, z = 3 } } } },
  },
}
