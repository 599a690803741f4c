stage_F = { object_name = 'stage', object_activity = 1, object_layer = 1,
  components = { Transform = {}, QuestController = {}, MusicPlayer = { name = 'm' } },
  children = { { base_script = 'area_F' }, { base_script = 'area_G' } } }
area_F = { object_name = 'ev', object_activity = 1, object_layer = 1,
  components = { Transform = {}, OskelController = { x = 1 } },
  children = {
    { object_activity = 1, object_layer = 1, components = { Transform = {} },
      children = { { object_tag = 'Oskel', object_activity = 1, object_layer = 32,
        components = { Transform = {}, StatusParameter = { health = { init = 0 } }, HealthController = {},
          EnemyController = { initState = 'a', stateMachine = { a = {} } } } } } },
    { object_activity = 1, object_layer = 1, components = { Transform = {} },
      children = { { object_tag = 'LiberatedOskel', object_activity = 1, object_layer = 32,
        components = { Transform = {}, StatusParameter = { health = { init = 0 }, experience = { init = 1e38 } },
          HealthController = {}, EnemyController = {} } } } } } }
area_G = { object_name = 's', object_tag = 'Enemy', object_activity = 1, object_layer = 32,
  components = { Transform = {}, Kinematics = { useSteering = 1 }, CircleCollider = { radius = 5 },
    StatusParameter = { health = { init = 5 } }, HealthController = {},
    StrangerController = { themeSong = 'q', duration = { 1/0, 0/0 }, extraExp = { -1e38, 1e38 }, exitState = 'gone' },
    EnemyController = { initState = 'a', stateMachine = { a = {}, gone = {} } } },
  children = { { object_activity = 1, object_layer = 1,
    components = { Transform = {}, StrangerController = { duration = 'x', extraExp = { 'a' } } } } } }
