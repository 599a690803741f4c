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
  -- Ground strips along the floors (positions from the area's centre, y up).
  children = {
    { base_script = "prop_Ground", object_name = "広間の床",  -- "Hall floor"
      components = { Transform = { position = { x = -312, y = -248, z = 20 }, scaling = { x = 6.25, y = 0.5 } } } },
    { base_script = "prop_Ground", object_name = "高台",  -- "Upper floor"
      components = { Transform = { position = { x = 238, y = -136, z = 20 }, scaling = { x = 4.6875, y = 0.5 } } } },
    -- The rock under the slope and the ledge (Lua x 400 to 900, y 400 to 512), and the far
    -- wall's rock beyond x 900 from y 100 down.
    { base_script = "prop_Ground", object_name = "高台の岩",  -- "Ledge rock"
      components = { Transform = { position = { x = 138, y = -200, z = 21 } },
                     TextureAtlas = { atlasName = "terrain_cave_ledge" } } },
    { base_script = "prop_Ground", object_name = "奥の岩壁",  -- "Far rock wall"
      components = { Transform = { position = { x = 450, y = -50, z = 21 }, scaling = { x = 1.9375, y = 12.875 } },
                     SpriteRenderer = { color = { r = 90, g = 78, b = 110, a = 255 } },
                     TextureAtlas = { atlasName = "terrain_earth" } } },
    -- The Oskel's trial on the upper floor.
    { base_script = "event_Oskel", components = { Transform = { position = { x = 238, y = -90 } } } },
  },
}
