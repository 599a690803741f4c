-- The sparks' picture.
gameobj_effect_hit_spark_sprite = {
  object_name = "ヒット絵",  -- "Hit picture"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = {}, SpriteRenderer = {}, SpriteAnimation = { stand_loop = { "fx_hit" } } },
}
