stage_F = { object_name = 'stage', object_activity = 1, object_layer = 1,
  components = { Transform = {}, StageGenerator = { generateType = 0, areas = { 'area_F', 'area_G' },
    rules = { { 1, 2, 0 }, { 2, 1, 1 }, { 3, 3, 2 } } } } }
area_F = { object_name = 'ball', object_activity = 1, object_layer = 2,
  components = { Transform = { position = { x = 0, y = -100 } },
    Kinematics = { useSteering = true, nonPenetrationConstraint = true, useGravity = false },
    CircleCollider = { center = { x = 1, y = 2 }, radius = 16 } } }
area_G = { object_name = 'post', object_activity = 1, object_layer = 2,
  components = { Transform = {}, Box2DCollider = { size = { width = 10, height = 80 } },
    SegmentCollider = { s = { x = -50, y = 0 }, e = { x = 50, y = 0 } } } }
terrain_template = { object_name = 'seg', object_activity = 1, object_tag = 'Terrain', components = { Transform = {} } }
