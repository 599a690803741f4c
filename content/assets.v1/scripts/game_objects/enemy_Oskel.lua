-- Oskel, the bound guardian of the cave hall: beating it frees its true form.
enemy_Oskel = {
  object_name = "オスケル",  -- "Oskel"
  object_tag = "Oskel",
  object_layer = LAYER_ENEMY,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 8 }, scaling = { x = 1.5, y = 1.5 } },
    Kinematics = { mass = 3, maxSpeed = 80, maxForce = 600, useSteering = true },
    SpriteRenderer = { color = { r = 120, g = 120, b = 140, a = 255 } },
    SpriteAnimation = { stand_loop = { "enemy_red_blob_idle" }, run_loop = { "enemy_red_blob_run" }, take_damage = { "enemy_red_blob_damage" } },
    Box2DCollider = { center = { x = 0, y = -8 }, size = { width = 36, height = 22 } },
    StatusParameter = { health = { init = 60, max = 60 }, defense = { init = 20, max = 20 } },
    HealthController = {},
    KnockbackController = { knockbackDuration = 0.6, reflectionLayer = LAYER_ENEMY },
    EnemyController = {
      initState = "guard",
      stateMachine = {
        guard = {
          enterState = { animationName = "run_loop" },
          steeringBehavior = { { behaviorType = 2, target = 2 } },  -- arrive at the player
        },
      },
    },
  },
}
