-- Where a fighter falls: a puff and a flash.
gameobj_effect_dead_with_flower = {
  object_name = "花",  -- "Flower"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = { position = { z = 3 } }, EffectController = {} },
  children = { { base_script = "gameobj_effect_smoke_puff" }, { base_script = "gameobj_effect_flash" } },
}
