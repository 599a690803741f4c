-- Ilvane, a wandering visitor: her own theme plays while she stays near the player, then she
-- walks off and the stage music comes back. Every hit on her pays experience.
stranger_Ilvane = {
  object_name = "イルヴァーネ",  -- "Ilvane"
  object_tag = "Enemy",
  object_layer = LAYER_ENEMY,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 8 }, scaling = { x = 1.2, y = 1.2 } },
    Kinematics = { mass = 1, maxSpeed = 120, maxForce = 500, useSteering = true },
    SpriteRenderer = {},
    SpriteAnimation = { stand_loop = { "stranger_idle" }, run_loop = { "stranger_run" } },
    Box2DCollider = { center = { x = 0, y = 24 }, size = { width = 36, height = 60 } },
    StatusParameter = { health = { init = 400, max = 400 }, defense = { init = 60, max = 60 } },
    HealthController = {},
    KnockbackController = { knockbackDuration = 0.4, reflectionLayer = LAYER_ENEMY },
    StrangerController = {
      themeSong = "assets.v1/sounds/bgm/stranger_ilvane",
      duration = { 20, 30 },   -- seconds, drawn once
      extraExp = { 2, 4 },     -- per hit, times (saved level sum / 6 + 1)
      exitState = "walk_away",
    },
    EnemyController = {
      initState = "visit",
      stateMachine = {
        -- Keeps near the player without attacking.
        visit = {
          enterState = { animationName = "run_loop" },
          steeringBehavior = { { behaviorType = 2, target = 2 } },  -- arrive at the player
        },
        -- Leaves the player behind until she is out of sight.
        walk_away = {
          enterState = { animationName = "run_loop" },
          steeringBehavior = { { behaviorType = 1, target = 2 } },  -- flee from the player
        },
      },
    },
  },
}
