-- One area the meadow's rules may draw.
area_Meadow_Pond = {
  object_name = "池の区画",        -- "Pond area"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    TerrainFactory = {
      terrain = {
        { layerMask = TERRAIN_LAYER, cullingMask = TERRAIN_MEETS, x = 0, y = 0,
          polyline = { { x = 0, y = 480 }, { x = 300, y = 480 }, { x = 300, y = 512 }, { x = 700, y = 512 }, { x = 700, y = 480 }, { x = 1024, y = 480 } } },
      },
    },
  },
}
