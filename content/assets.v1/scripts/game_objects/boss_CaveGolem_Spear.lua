-- The golem's spear: a hit box in front of it, switched on and off by its clip.
boss_CaveGolem_Spear = {
  object_name = "主の槍",        -- "Master's spear"
  object_tag = "EnemyHit",
  object_layer = LAYER_ENEMY,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 30, y = 10 } },
    Box2DCollider = { size = { width = 16, height = 40 } },
    CollisionAnimation = { default = { "boss_golem_spear" } },
  },
}
