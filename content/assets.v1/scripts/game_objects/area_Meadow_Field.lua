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
  -- Ground strips along the floors (positions from the area's centre, y up).
  children = {
    { base_script = "prop_Ground", object_name = "草地",  -- "Grass"
      components = { Transform = { position = { x = 0, y = -248, z = 20 }, scaling = { x = 16, y = 0.5 } } } },
  },
}
