-- The picture of gameobj_effect_vardeki_slash1.
gameobj_effect_vardeki_slash1_sprite = {
  object_name = "斬撃一絵",  -- "Slash one picture"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = {}, SpriteRenderer = {}, SpriteAnimation = { stand_loop = { "fx_slash1" } } },
}
