-- The master of the cave: a guard twice the size, whose spear's hit box comes and goes.
boss_CaveGolem = {
  object_name = "洞窟の主",      -- "Master of the cave"
  object_tag = "Enemy",
  object_layer = LAYER_ENEMY,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 8 }, scaling = { x = 2, y = 2 } },
    Kinematics = { mass = 10 },
    SpriteRenderer = {},
    SpriteAnimation = { stand_loop = { "enemy_guard_idle" } },
    Box2DCollider = { center = { x = 0, y = -4 }, size = { width = 28, height = 56 } },
  },
  children = { { base_script = "boss_CaveGolem_Spear" } },
}
