-- Lists with holes whose border lies far past their entries, a steering body with no speed
-- limit and one below 0, a wheel whose friction would grow, tiny spawn and trail intervals.
stage_F = { object_name = 'stage', object_activity = 1, object_layer = 1,
  components = { Transform = {}, StageGenerator = { generateType = 0,
    rules = { [1] = { 1, 2, 0 }, [2] = { 1, 1, 1 }, [4] = { 2, 2, 2 }, [1048576] = { 1, 1, 0 } },
    areas = { [1] = 'area_F', [2] = 'area_F', [4] = 'area_F', [65536] = 'area_F' } },
    ObjectiveController = { relaxTimeMin = 0, relaxTimeMax = 0, relaxSpawnFrequency = 1e-12,
      buildUpSpawnFrequency = 1e-12 } },
  children = { { base_script = 'area_F' } } }
area_F = { object_name = 'a', object_activity = 1, object_layer = 2,
  components = { Transform = {}, Kinematics = { useSteering = true, maxSpeed = 0, useGravity = false },
    UIWheel = { friction = 1.5, force = 1, base_rps = 1 },
    SpriteBlurRenderer = { maxBlurs = 4, intervalTime = 1e-12 },
    TerrainFactory = { terrain = { [1] = { cullingMask = 3, polyline = { [1] = { x = 0, y = 0 },
      [2] = { x = 5, y = 0 }, [4] = { x = 9, y = 9 }, [1048576] = { x = 1, y = 1 } } } } } } }
terrain_template = { object_name = 'seg', object_activity = 1, object_tag = 'Terrain', components = { Transform = {} } }
