-- A bigger fall: four puffs around a flash, the outer ones a moment later.
gameobj_effect_dead_with_flower4 = {
  object_name = "花4",  -- "Flower 4"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = { position = { z = 3 } }, EffectController = {} },
  children = {
    { base_script = "gameobj_effect_flash" },
    { base_script = "gameobj_effect_smoke_puff", components = { Transform = { position = { x = -20, y = 0, z = 3 } } } },
    { base_script = "gameobj_effect_smoke_puff", components = { Transform = { position = { x = 20, y = 0, z = 3 } } } },
    { base_script = "gameobj_effect_late_puffs" },
  },
}
