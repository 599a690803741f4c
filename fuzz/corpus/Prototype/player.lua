stage_F = { object_name = 'stage', object_activity = 1, object_layer = 1,
  components = { Transform = {}, QuestController = { initPlayerPos = { x = 0/0, y = 1e38 } },
    StageGenerator = { generateType = 1, areas = { 'area_F' } } } }
area_F = { object_name = 'a', object_activity = 1, object_layer = 4,
  components = { TerrainFactory = { terrain = { { cullingMask = 2, polyline = { { x = 0, y = 512 }, { x = 3000, y = 512 } } } } } } }
terrain_template = { object_tag = 'Terrain', object_activity = 1, object_layer = 4, components = { Transform = {} } }
gameobj_player_pemba = { object_name = 'p', object_activity = 1, object_layer = 2,
  components = { Transform = {}, Kinematics = { maxSpeed = 1/0 }, Box2DCollider = { size = { width = 20, height = 52 } },
    KnockbackController = { knockbackDuration = -1, reflectionLayer = -1 },
    InvincibleController = { duration = 0/0, blinkInterval = 0, invincibleMask = 1e30 },
    StatusParameter = { usePlayerData = 1, accessory = 'none',
      health = { init = 1e38, max = -1e38, table = { { 'x' }, 5, { 1/0, 2 } }, step = { 0/0 } },
      powerRecharge = { init = 0, max = 0 }, attack = 3, defense = { table = 4 } },
    HealthController = { regen = { duration = -1, interval = 1e-30, pointType = 1, point = -1e38 }, updateIntensity = 1 },
    PowerController = { maxPower = 1e12 },
    PlayerController = { run = { speed = 0/0, drag = -2, threshold = 1/0 }, step = 3, dash = { duration = -1 },
      powerCosts = { slash = 0, homing = -1, vardeki = 0/0 }, jumpHeight = -5, maxAirActionCount = 1e20,
      noticeLongWaitTime = 0, knockbackType = 0/0, deadEffect = 'stage_F' } } }
