-- A small green slime: it comes to the player and bites when close.
enemy_Slime = {
  object_name = "スライム",  -- "Slime"
  object_tag = "Enemy",
  object_layer = LAYER_ENEMY,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 8 }, scaling = { x = 1, y = 1 } },
    Kinematics = { mass = 1, maxSpeed = 140, maxForce = 600, useSteering = true },
    SpriteRenderer = {},
    SpriteAnimation = { stand_loop = { "enemy_blob_idle" }, run_loop = { "enemy_blob_idle" }, attack = { "enemy_blob_hop" }, take_damage = { "enemy_blob_hop" } },
    CircleCollider = { center = { x = 0, y = -12 }, radius = 20 },
    StatusParameter = { health = { init = 30, max = 30 }, attack = { init = 8, max = 8 }, experience = { init = 5, max = 5 } },
    HealthController = {},
    -- Flights bounce off fellow enemies.
    KnockbackController = { knockbackDuration = 0.8, reflectionLayer = LAYER_ENEMY },
    -- The drop's pick: weights by "rate".
    Inventory = { items = { { name = "item_Heart", rate = 3 }, { name = "item_Herb", rate = 1 } } },
    -- Arrives at the player; close by it bites through its attendant, then comes again.
    -- A "changeState" entry: { state = "<state key>", condition = <condition set> }.
    EnemyController = {
      initState = "chase",
      attackedMessage = "enemy_slime_bite",
      stateMachine = {
        chase = {
          enterState = { animationName = "run_loop" },
          steeringBehavior = { { behaviorType = 2, target = 2 } },  -- arrive at the player
          changeState = {
            -- distance to the player (27) below 60
            { state = "bite", condition = { { { compare = 1, target = 27, value = 60 } } } },
          },
        },
        bite = {
          enterState = { animationName = "attack", attendantObject = { delay = 0.2, name = "enemy_Slime_Bite" } },
          changeState = {
            -- 1.2 s in the state (26)
            { state = "chase", condition = { { { compare = 5, target = 26, value = 1.2 } } } },
          },
        },
      },
    },
  },
}
