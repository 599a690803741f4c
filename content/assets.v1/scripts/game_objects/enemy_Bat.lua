-- A flying wisp: it wanders, then seeks the player.
enemy_Bat = {
  object_name = "コウモリ",  -- "Bat"
  object_tag = "Enemy",
  object_layer = LAYER_ENEMY,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 8 }, scaling = { x = 1, y = 1 } },
    Kinematics = { useGravity = false, maxSpeed = 160, maxForce = 500, useSteering = true },
    SpriteRenderer = {},
    SpriteAnimation = { stand_loop = { "enemy_wisp_float" }, run_loop = { "enemy_wisp_float" }, take_damage = { "enemy_wisp_float" } },
    CircleCollider = { radius = 18 },
    StatusParameter = { health = { init = 20, max = 20 }, attack = { init = 6, max = 6 }, experience = { init = 8, max = 8 } },
    HealthController = {},
    -- Flights bounce off fellow enemies.
    KnockbackController = { knockbackDuration = 0.8, reflectionLayer = LAYER_ENEMY },
    -- The drop's pick: weights by "rate".
    Inventory = { items = { { name = "item_Heart", rate = 3 }, { name = "item_Herb", rate = 1 } } },
    -- Wanders; once the player is near it seeks it, and after a while wanders again.
    EnemyController = {
      initState = "wander",
      attackedMessage = "enemy_bat_bite",
      stateMachine = {
        wander = {
          enterState = { animationName = "stand_loop" },
          steeringBehavior = { { behaviorType = 3 } },
          changeState = {
            -- distance to the player (27) below 300
            { state = "seek", condition = { { { compare = 1, target = 27, value = 300 } } } },
          },
        },
        seek = {
          enterState = { animationName = "run_loop" },
          steeringBehavior = { { behaviorType = 0, target = 2, crosshair = { x = 0, y = 10 } } },
          changeState = {
            { state = "bite", condition = { { { compare = 1, target = 27, value = 40 } } } },
            -- 4 s in the state (26)
            { state = "wander", condition = { { { compare = 5, target = 26, value = 4 } } } },
          },
        },
        bite = {
          enterState = { animationName = "run_loop", attendantObject = { delay = 0, name = "enemy_Slime_Bite" } },
          changeState = { { state = "wander", condition = { { { compare = 5, target = 26, value = 1 } } } } },
        },
      },
    },
  },
}
