-- Sparks where a hit lands; gone when their clip ends.
gameobj_effect_hit_spark = {
  object_name = "ヒット",  -- "Hit"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = { position = { z = 3 } }, EffectController = {} },
  children = { { base_script = "gameobj_effect_hit_spark_sprite" } },
}
