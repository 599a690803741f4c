-- A flying wisp that floats where it is put.
enemy_Bat = {
  object_name = "コウモリ",  -- "Bat"
  object_tag = "Enemy",
  object_layer = LAYER_ENEMY,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 8 }, scaling = { x = 1, y = 1 } },
    Kinematics = { useGravity = false },
    SpriteRenderer = {},
    SpriteAnimation = { stand_loop = { "enemy_wisp_float" } },
    CircleCollider = { radius = 18 },
  },
}
