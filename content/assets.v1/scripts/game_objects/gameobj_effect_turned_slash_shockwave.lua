-- A shockwave left behind by the turned slash.
gameobj_effect_turned_slash_shockwave = {
  object_name = "衝撃波",  -- "Shockwave"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = { position = { z = 2 } }, EffectController = {} },
  children = { { base_script = "gameobj_effect_turned_slash_shockwave_sprite" } },
}
