-- Experience motes thrown out where an enemy falls.
gameobj_effect_experience_emitter = {
  object_name = "経験値",  -- "Experience"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = {}, EffectEmitter = { count = 5, particle_name = "gameobj_effect_experience_mote" } },
}
