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
  -- Ground strips along the floors (positions from the area's centre, y up).
  children = {
    { base_script = "prop_Ground", object_name = "池の手前",  -- "Near bank"
      components = { Transform = { position = { x = -362, y = -216, z = 20 }, scaling = { x = 4.6875, y = 0.5 } } } },
    { base_script = "prop_Ground", object_name = "池の底",  -- "Pond bed"
      components = { Transform = { position = { x = -12, y = -248, z = 20 }, scaling = { x = 6.25, y = 0.5 } } } },
    { base_script = "prop_Ground", object_name = "池の向こう",  -- "Far bank"
      components = { Transform = { position = { x = 350, y = -216, z = 20 }, scaling = { x = 5.0625, y = 0.5 } } } },
    -- Earth under both banks, down to the stage's bottom (Lua y 480 to 512), so that neither
    -- bank floats and the pond's two sides are seen.
    { base_script = "prop_Ground", object_name = "手前の土",  -- "Near bank's earth"
      components = { Transform = { position = { x = -362, y = -240, z = 21 }, scaling = { x = 4.6875, y = 1 } },
                     TextureAtlas = { atlasName = "terrain_earth" } } },
    { base_script = "prop_Ground", object_name = "向こうの土",  -- "Far bank's earth"
      components = { Transform = { position = { x = 350, y = -240, z = 21 }, scaling = { x = 5.0625, y = 1 } },
                     TextureAtlas = { atlasName = "terrain_earth" } } },
  },
}
