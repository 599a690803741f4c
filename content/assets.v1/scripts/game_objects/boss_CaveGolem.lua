-- The master of the cave: a guard twice the size, whose spear's hit box comes and goes. It
-- walks at the player firing a fan, then stands and throws a ring; its own track plays while
-- it lives on the stage.
boss_CaveGolem = {
  object_name = "洞窟の主",      -- "Master of the cave"
  object_tag = "Enemy",
  object_layer = LAYER_ENEMY,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 8 }, scaling = { x = 2, y = 2 } },
    Kinematics = { mass = 10, maxSpeed = 70, maxForce = 600, useSteering = true },
    SpriteRenderer = {},
    SpriteAnimation = { stand_loop = { "enemy_guard_idle" } },
    Box2DCollider = { center = { x = 0, y = -4 }, size = { width = 28, height = 56 } },
    StatusParameter = { health = { init = 200, max = 200 }, attack = { init = 20, max = 20 }, defense = { init = 30, max = 30 }, experience = { init = 200, max = 200 } },
    HealthController = {},
    -- Two states, each firing its own pattern through an attendant, taking turns by time.
    EnemyController = {
      initState = "advance",
      stateMachine = {
        advance = {
          enterState = { animationName = "stand_loop", attendantObject = { delay = 0.5, name = "enemy_Pattern_Fan" } },
          steeringBehavior = { { behaviorType = 2, target = 2 } },  -- arrive at the player
          changeState = {
            -- 3 s in the state (26)
            { state = "barrage", condition = { { { compare = 5, target = 26, value = 3 } } } },
          },
        },
        barrage = {
          enterState = { animationName = "stand_loop", attendantObject = { delay = 0.3, name = "enemy_Pattern_OrbitRing" } },
          changeState = {
            { state = "advance", condition = { { { compare = 5, target = 26, value = 2.5 } } } },
          },
        },
      },
    },
  },
  children = { { base_script = "boss_CaveGolem_Spear" } },
}
