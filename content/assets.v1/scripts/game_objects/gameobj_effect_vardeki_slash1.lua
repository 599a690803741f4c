-- The companion's first slash.
gameobj_effect_vardeki_slash1 = {
  object_name = "斬撃一",  -- "Slash one"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = { position = { z = 2 } }, EffectController = { delay = 0.3 } },
  children = { { base_script = "gameobj_effect_vardeki_slash1_sprite" } },
}
