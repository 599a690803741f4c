-- The companion appears over the screen's centre.
gameobj_effect_vardeki = {
  object_name = "相棒",  -- "Companion"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = { position = { z = 2 } }, EffectController = {} },
  children = { { base_script = "gameobj_effect_vardeki_sprite" } },
}
