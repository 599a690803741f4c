-- A white flash.
gameobj_effect_flash = {
  object_name = "閃光",  -- "Flash"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = {}, SpriteRenderer = {}, SpriteAnimation = { stand_loop = { "fx_flash" } } },
}
