-- Oskel freed: brighter and quicker; beating it ends the event with its experience.
enemy_LiberatedOskel = {
  object_name = "解き放たれたオスケル",  -- "Liberated Oskel"
  object_tag = "LiberatedOskel",
  object_layer = LAYER_ENEMY,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 8 }, scaling = { x = 1.5, y = 1.5 } },
    Kinematics = { mass = 2, maxSpeed = 160, maxForce = 900, useSteering = true },
    SpriteRenderer = { color = { r = 255, g = 230, b = 150, a = 255 } },
    SpriteAnimation = { stand_loop = { "enemy_red_blob_idle" }, run_loop = { "enemy_red_blob_run" }, take_damage = { "enemy_red_blob_damage" } },
    Box2DCollider = { center = { x = 0, y = -8 }, size = { width = 36, height = 22 } },
    StatusParameter = { health = { init = 80, max = 80 }, defense = { init = 30, max = 30 }, experience = { init = 60, max = 60 } },
    HealthController = {},
    KnockbackController = { knockbackDuration = 0.6, reflectionLayer = LAYER_ENEMY },
    EnemyController = {
      initState = "hunt",
      stateMachine = {
        hunt = {
          enterState = { animationName = "run_loop" },
          steeringBehavior = { { behaviorType = 2, target = 2 } },  -- arrive at the player
        },
      },
    },
  },
}
