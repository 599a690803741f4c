stage_F = { object_name = 'stage', object_activity = 1, object_layer = 1,
  components = { Transform = {}, StageGenerator = { generateType = 0, areas = { 'area_F', 'area_G' },
    rules = { { 1, 2, 0 }, { 2, 1, 1 }, { 3, 3, 2 } } } } }
area_F = { object_name = 'row', object_activity = 1, object_layer = 2,
  components = { Transform = {}, StageGenerator = { generateType = 0, areas = { 'area_F', 'area_G' },
    rules = { { 1, 2, 0 }, { 2, 1, 1 }, { 3, 3, 2 } } } } }
area_G = { object_name = 'ground', object_activity = 1, object_layer = 1,
  components = { Transform = {}, TerrainFactory = { terrain = { { layerMask = 4, polyline = { { x = 0, y = 0 }, { x = 9, y = 0 } } } } } } }
terrain_template = { object_name = 'seg', object_activity = 1, object_tag = 'Terrain',
  components = { Transform = {}, TerrainFactory = { terrain = { { layerMask = 4, polyline = { { x = 0, y = 0 }, { x = 9, y = 0 } } } } } } }
