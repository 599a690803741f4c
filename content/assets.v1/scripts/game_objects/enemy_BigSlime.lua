-- A red slime twice the size of the small one: slower, harder, and it bites harder.
enemy_BigSlime = {
  object_name = "大スライム",  -- "BigSlime"
  object_tag = "Enemy",
  object_layer = LAYER_ENEMY,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 8 }, scaling = { x = 2, y = 2 } },
    Kinematics = { mass = 4, maxSpeed = 90, maxForce = 900, useSteering = true },
    SpriteRenderer = {},
    SpriteAnimation = { stand_loop = { "enemy_red_blob_idle" }, run_loop = { "enemy_red_blob_idle" }, attack = { "enemy_blob_hop" }, take_damage = { "enemy_blob_hop" } },
    Box2DCollider = { center = { x = 0, y = -10 }, size = { width = 44, height = 28 } },
    StatusParameter = { health = { init = 90, max = 90 }, attack = { init = 16, max = 16 }, defense = { init = 20, max = 20 }, experience = { init = 20, max = 20 } },
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
            -- distance to the player (27) below 90
            { state = "bite", condition = { { { compare = 1, target = 27, value = 90 } } } },
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
