-- The cave's first area: a floor with a step down and a low ceiling over it.
area_Cave_Mouth = {
  object_name = "洞窟の入口",    -- "Cave mouth"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    TerrainFactory = {
      terrain = {
        { layerMask = TERRAIN_LAYER, cullingMask = TERRAIN_MEETS, x = 0, y = 0,
          polyline = { { x = 0, y = 460 }, { x = 500, y = 460 }, { x = 500, y = 512 }, { x = 1024, y = 512 } } },
        { layerMask = TERRAIN_LAYER, cullingMask = TERRAIN_MEETS, x = 0, y = 0,
          polyline = { { x = 1024, y = 200 }, { x = 300, y = 200 }, { x = 200, y = 260 } } },
      },
    },
  },
}
