-- The cave's second area: the hall, a slope up to a ledge and the far wall.
area_Cave_Hall = {
  object_name = "洞窟の広間",    -- "Cave hall"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    TerrainFactory = {
      terrain = {
        { layerMask = TERRAIN_LAYER, cullingMask = TERRAIN_MEETS, x = 0, y = 0,
          polyline = { { x = 0, y = 512 }, { x = 400, y = 512 }, { x = 600, y = 400 }, { x = 900, y = 400 },
                       { x = 900, y = 100 } } },
      },
    },
  },
}
