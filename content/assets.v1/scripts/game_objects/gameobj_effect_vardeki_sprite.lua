-- The picture of gameobj_effect_vardeki.
gameobj_effect_vardeki_sprite = {
  object_name = "相棒絵",  -- "Companion picture"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = {}, SpriteRenderer = {}, SpriteAnimation = { stand_loop = { "fx_companion" } } },
}
