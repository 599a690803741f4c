-- The picture of gameobj_effect_turned_slash_shockwave.
gameobj_effect_turned_slash_shockwave_sprite = {
  object_name = "衝撃波絵",  -- "Shockwave picture"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = {}, SpriteRenderer = {}, SpriteAnimation = { stand_loop = { "fx_shockwave" } } },
}
