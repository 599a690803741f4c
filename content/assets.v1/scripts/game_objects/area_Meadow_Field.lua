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
    -- Decoration on the strip's top (Lua y 496): flowers, one by chance, a pebble, and tufts of
    -- grass and pebbles spread over the field.
    LandscapeFactory = {
      manual = {
        { name = "land_Flower", position = { x = 300, y = 484 }, rate = 100 },
        { name = "land_Flower", position = { x = 700, y = 484 }, rate = 50 },
        { name = "land_Stone", position = { x = 150, y = 488 }, rate = 100 },
      },
      procedural = {
        { name = "land_Grass", position = { x = { min = 40, max = 990 }, y = 488 }, count = { min = 4, max = 6 } },
        { name = "land_Stone", position = { x = { min = 100, max = 900 }, y = 488 }, count = { min = 1, max = 2 } },
      },
    },
  },
  -- Ground strips along the floors (positions from the area's centre, y up).
  children = {
    { base_script = "prop_Ground", object_name = "草地",  -- "Grass"
      components = { Transform = { position = { x = 0, y = -248, z = 20 }, scaling = { x = 16, y = 0.5 } } } },
  },
}
