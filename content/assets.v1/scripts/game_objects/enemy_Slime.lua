-- A small green slime; it hops about once it has a controller.
enemy_Slime = {
  object_name = "スライム",  -- "Slime"
  object_tag = "Enemy",
  object_layer = LAYER_ENEMY,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 8 }, scaling = { x = 1, y = 1 } },
    Kinematics = { mass = 1 },
    SpriteRenderer = {},
    SpriteAnimation = { stand_loop = { "enemy_blob_idle" } },
    CircleCollider = { center = { x = 0, y = -12 }, radius = 20 },
  },
}
