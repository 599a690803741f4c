-- One area the meadow's rules may draw.
area_Meadow_Field = {
  object_name = "草地の区画",        -- "Field area"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    TerrainFactory = {
      terrain = {
        { layerMask = TERRAIN_LAYER, cullingMask = TERRAIN_MEETS, x = 0, y = 0,
          polyline = { { x = 0, y = 512 }, { x = 1024, y = 512 } } },
      },
    },
  },
}
