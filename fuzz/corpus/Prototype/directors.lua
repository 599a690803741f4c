stage_F = { object_name = 'stage', object_activity = 1, object_layer = 1,
  components = { Transform = {}, QuestController = { initPlayerPos = { x = 100, y = 0 } },
    ObjectiveController = { relaxTimeMin = 0, relaxTimeMax = 0, buildUpSpawnFrequency = 0.001, intensityMax = -5,
      enemyThreat = 1e38, noticeHuntCount = 256, peakFadeSpawnFrequency = 'x' },
    BossBattleController = {} },
  children = { { base_script = 'area_G' } } }
area_F = { object_name = 'boss', object_tag = 'Enemy', object_activity = 1, object_layer = 32,
  components = { Transform = {}, StatusParameter = { health = { init = 0 } }, HealthController = { updateIntensity = true },
    EnemyController = { initState = 'a', stateMachine = { a = {} } } } }
area_G = { object_name = 'mob', object_activity = 0, object_layer = 32,
  components = { Transform = {}, EnemyController = { initState = 'b' } } }
gameobj_player_pemba = { object_name = 'player', object_activity = 1, object_layer = 2,
  components = { Transform = {}, StatusParameter = { health = { init = 5, max = 0 } },
    HealthController = { updateIntensity = 1 }, PlayerController = {} } }
