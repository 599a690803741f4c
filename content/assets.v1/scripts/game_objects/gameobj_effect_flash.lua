-- A white flash.
gameobj_effect_flash = {
  object_name = "閃光",  -- "Flash"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = { position = { z = 3 } }, SpriteRenderer = {}, SpriteAnimation = { stand_loop = { "fx_flash" } } },
}
