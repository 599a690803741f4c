-- A red slime twice the size of the small one.
enemy_BigSlime = {
  object_name = "大スライム",  -- "BigSlime"
  object_tag = "Enemy",
  object_layer = LAYER_ENEMY,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 8 }, scaling = { x = 2, y = 2 } },
    Kinematics = { mass = 4 },
    SpriteRenderer = {},
    SpriteAnimation = { stand_loop = { "enemy_red_blob_idle" } },
    Box2DCollider = { center = { x = 0, y = -10 }, size = { width = 44, height = 28 } },
  },
}
