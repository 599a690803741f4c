stage_F = { object_name = 'stage', object_activity = 1, object_layer = 1,
  components = { Transform = { rotation = 1e30 }, StageGenerator = { rules = { { -5, 1e12, 'x' }, 3 }, areas = { 1, 'area_F' } },
    Kinematics = { velocity = { x = 0/0, y = 1/0 }, mass = -1, maxSpeed = 0/0, maxForce = -1 },
    Box2DCollider = { size = { width = 1/0, height = -3 }, center = 5 },
    CircleCollider = { radius = 0/0 },
    SegmentCollider = { s = { x = 1e38, y = -1e38 } } } }
area_F = { object_name = 'a', object_activity = 1, object_layer = 4294967295,
  components = { TerrainFactory = { terrain = { { polyline = { 1, { x = 'q' }, {} } }, 7 } } } }
