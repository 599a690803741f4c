stage_F = { object_name = 'stage', object_activity = 1, object_layer = 1,
  components = { Transform = {}, MusicPlayer = { name = 7 }, BackgroundLayer = { layer = 1e300, scroll = 0/0 },
    SpriteRenderer = {}, TextureAtlas = { atlasInfo = { texture = 'area_F', uvRect = { width = -1 } } },
    Camera2D = { screenSize = { width = 1/0, height = -1e38 } },
    LandscapeFactory = { manual = { 3, { position = 'x' }, { name = 'area_F', position = { x = 0/0, y = 1e38, z = -0.0 }, rate = 1e12 } },
      procedural = { { name = 'area_G', count = { min = -2147483648, max = 2147483647 }, position = { x = 5, y = {} } },
                     { name = 'area_G', count = { min = 4, max = 4 }, position = { x = { min = 1/0, max = -1/0 } } } },
      conditional = { 9, { condition = 5 }, { condition = { {}, { 3 } }, consequent = 'x', alternative = { name = 'stage_F', rate = 100 } } } } },
  object_tag = 'GameCamera' }
area_F = { object_name = 'a', object_activity = 1, object_layer = 1, components = { BackgroundLayer = { layer = 0, scroll = -3 } } }
area_G = { object_name = 'g', object_activity = 1, object_layer = 1, components = { MusicPlayer = {} } }
terrain_template = { object_activity = 1, object_layer = 1 }
