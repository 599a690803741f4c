-- The picture of gameobj_effect_vardeki_slash2.
gameobj_effect_vardeki_slash2_sprite = {
  object_name = "斬撃二絵",  -- "Slash two picture"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = {}, SpriteRenderer = {}, SpriteAnimation = { stand_loop = { "fx_slash2" } } },
}
