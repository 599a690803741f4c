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
    -- Pebbles on the lower floor (the strip's top is Lua y 496).
    LandscapeFactory = {
      procedural = {
        { name = "land_Stone", position = { x = { min = 520, max = 1000 }, y = 488 }, count = { min = 2, max = 4 } },
      },
    },
  },
  -- Ground strips along the floors (positions from the area's centre, y up).
  children = {
    { base_script = "prop_Ground", object_name = "入口の床",  -- "Mouth floor"
      components = { Transform = { position = { x = -262, y = -196, z = 20 }, scaling = { x = 7.8125, y = 0.5 } } } },
    -- Rock under the raised mouth floor (Lua x 0 to 500, y 460 to 512) and its step down.
    { base_script = "prop_Ground", object_name = "入口の岩",  -- "Mouth rock"
      components = { Transform = { position = { x = -262, y = -230, z = 21 }, scaling = { x = 7.8125, y = 1.625 } },
                     SpriteRenderer = { color = { r = 90, g = 78, b = 110, a = 255 } },
                     TextureAtlas = { atlasName = "terrain_earth" } } },
    { base_script = "prop_Ground", object_name = "奥の床",  -- "Inner floor"
      components = { Transform = { position = { x = 250, y = -248, z = 20 }, scaling = { x = 8.1875, y = 0.5 } } } },
  },
}
