-- One mote: thrown upwards, then pulled to the player and caught close by.
gameobj_effect_experience_mote = {
  object_name = "経験値の粒",  -- "Experience mote"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 4 } },
    SpriteRenderer = { color = { r = 255, g = 220, b = 80, a = 255 } },  -- gold
    SpriteAnimation = { stand_loop = { "fx_pulse" } },
    -- angle in radians, force in pixels per second; each a { low, high } range drawn at load.
    EffectPointIcon = { sound_effect = { catch = "assets.v1/sounds/se/catch" }, force = { 200, 320 }, angle = { -0.8, 0.8 }, friction = 0.04, magnetic_force = 1400, remove_length = 24 },
  },
}
