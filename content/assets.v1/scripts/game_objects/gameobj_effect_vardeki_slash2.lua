-- The companion's second slash, last: the hit lands when it ends.
gameobj_effect_vardeki_slash2 = {
  object_name = "斬撃二",  -- "Slash two"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = { position = { z = 2 } }, EffectController = { delay = 0.6 } },
  children = { { base_script = "gameobj_effect_vardeki_slash2_sprite" } },
}
