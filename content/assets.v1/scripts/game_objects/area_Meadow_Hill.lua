-- One area the meadow's rules may draw.
area_Meadow_Hill = {
  object_name = "丘の区画",        -- "Hill area"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    TerrainFactory = {
      terrain = {
        { layerMask = TERRAIN_LAYER, cullingMask = TERRAIN_MEETS, x = 0, y = 0,
          polyline = { { x = 0, y = 512 }, { x = 400, y = 512 }, { x = 600, y = 420 }, { x = 800, y = 512 }, { x = 1024, y = 512 } } },
      },
    },
    -- Grass on the flat ground either side of the hill (Lua y 496 is the strips' top).
    LandscapeFactory = {
      procedural = {
        { name = "land_Grass", position = { x = { min = 20, max = 380 }, y = 488 }, count = { min = 2, max = 3 } },
        { name = "land_Grass", position = { x = { min = 820, max = 1000 }, y = 488 }, count = { min = 1, max = 2 } },
      },
    },
  },
  -- Ground strips along the floors (positions from the area's centre, y up).
  children = {
    { base_script = "prop_Ground", object_name = "丘の麓",  -- "Hill foot"
      components = { Transform = { position = { x = -312, y = -248, z = 20 }, scaling = { x = 6.25, y = 0.5 } } } },
    { base_script = "prop_Ground", object_name = "丘の向こう",  -- "Beyond the hill"
      components = { Transform = { position = { x = 400, y = -248, z = 20 }, scaling = { x = 3.5, y = 0.5 } } } },
    -- The hill itself, under its two slopes (Lua x 400 to 800, y 420 to 512).
    { base_script = "prop_Ground", object_name = "丘",  -- "Hill"
      components = { Transform = { position = { x = 88, y = -210, z = 21 } },
                     TextureAtlas = { atlasName = "terrain_hill" } } },
  },
}
