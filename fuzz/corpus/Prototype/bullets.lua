stage_F = { object_name = 'stage', object_activity = 1, object_layer = 1,
  components = { Transform = {}, QuestController = {} },
  children = { { base_script = 'area_F' }, { base_script = 'area_G' } } }
area_F = { object_name = 'e', object_tag = 'Enemy', object_activity = 1, object_layer = 32,
  components = { Transform = { position = { x = 10, y = 10 } }, Kinematics = { useGravity = false },
    CircleCollider = { radius = 8 }, StatusParameter = { health = { init = 5 } }, HealthController = {},
    EnemyController = { initState = 'a',
      stateMachine = { a = { enterState = { animationName = 'fz_loop', attendantObject = { delay = 0, name = 'area_G' } },
                             changeState = { { state = 'a', condition = { { { compare = 5, target = 26, value = 0.05 } } } } } } } } } }
area_G = { object_name = 'p', object_activity = 1, object_layer = 32768,
  components = { Transform = {}, CircleCollider = { radius = 50 }, BulletEraser = {},
    BulletHellController = {
      createShots = { { 0, 'terrain_template', { 1, 0 }, 1, 0/0, 1/0 }, { 1, 'terrain_template', -1, 2, 0, 0, 1e38 },
                      { 2, 'terrain_template', 0, 1, 0, 0, 1e30, 0, 3, -1e30, 1 }, { 2, 'terrain_template', 0, 0, 5, 5, 10, -90, 1, 45, 2 },
                      { 3, 'terrain_template', 0, 9, 0, 0, 10, 0 }, { 3, 'terrain_template', 0, 1, 0, 0, 10, -0.5 },
                      { 0, 'area_F', 0, 1, 0, 0 }, 'x', { 'y' }, {} },
      timeline = { { 4, 0, 0 }, { 1, 0, 0, 1, 1e38, -1e38, 0/0, 3, 1e30 }, { 4, 1, 0 }, { 4, 2, 0 }, { 4, 3, 0 }, { 4, 4, 0 },
                   { 4, 5, 0 }, { 5, 0, 0.01, { 3, 1 } }, { 5, 2, 0.02, 4294967295 }, { 5, 9, 0, 0 }, { 3, 1, 0, 'fz_pose' },
                   { 2, 2, 0.03 }, { 4, 6, 0 }, { 5, 6, 0, 0 }, { 1, 3, 0, 0, 10, 0, 10, 1, 0 }, { 99, 0, 0 }, { 2, -1, 0 },
                   'z', { 'w' }, {} } } } }
terrain_template = { object_name = 'b', object_tag = 'Bullet', object_activity = 1, object_layer = 32768,
  components = { Transform = {}, Kinematics = { useGravity = false, needClamp = false }, SpriteRenderer = {},
    SpriteAnimation = { stand_loop = { 'fz_loop' } }, CollisionAnimation = { default = { 'fz_once' } },
    CircleCollider = { radius = 4, cullingMask = -1 },
    BulletController = { flipSprite = 1, rotateSprite = 'yes', penetrateTarget = false, removeWhenOffScreen = 0, collideTerrain = 2 },
    AttemptDamageController = { targetLayer = 32, targetTag = 'Enemy', damageScale = 1 } } }
