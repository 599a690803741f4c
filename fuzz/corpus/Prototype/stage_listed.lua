stage_F = { object_name = 'stage', object_activity = 1, object_layer = 1,
  components = { Transform = {}, StageGenerator = { generateType = 1, areas = { 'area_F', 'nothing', 'area_G' },
    blurColor = { r = 10, g = 20, b = 30, a = 255 } } } }
area_F = { object_name = 'a', object_activity = 1, object_layer = 1,
  components = { Transform = {}, TerrainFactory = { terrain = {
    { layerMask = 4, cullingMask = 3, x = 0, y = 0, polyline = { {x = 0, y = 512}, {x = 300, y = 512}, {x = 300, y = 400}, {x = 600, y = 300}, {x = 1024, y = 300} } },
    { layerMask = 4, polyline = { {x = 5, y = 5} } } } } },
  children = { { base_script = 'area_G' } } }
area_G = { object_name = 'crate', object_activity = 1, object_layer = 1,
  components = { Transform = { position = { x = 10, y = 300 } },
    Kinematics = { velocity = { x = 30, y = 0 }, mass = 2, maxSpeed = 500 },
    Box2DCollider = { center = { x = 0, y = 4 }, size = { width = 40, height = 40 }, updateAABB = true, cullingMask = 7 } } }
terrain_template = { object_name = 'seg', object_activity = 1, object_tag = 'Terrain', components = { Transform = {} } }
