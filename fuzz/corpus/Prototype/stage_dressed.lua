stage_F = { object_name = 'stage', object_activity = 1, object_layer = 1,
  components = { Transform = {}, MusicPlayer = { name = 'assets.v1/sounds/bgm/stage' },
    StageGenerator = { generateType = 1, areas = { 'area_F', 'area_G' } } },
  children = { { base_script = 'terrain_template', object_tag = 'Backdrop',
      components = { SpriteRenderer = { addressU = 1 }, TextureAtlas = { atlasInfo = { texture = 'sky' } },
        BackgroundLayer = { layer = 1, scroll = 4 } } },
    { base_script = 'terrain_template', object_tag = 'GameCamera',
      components = { Camera2D = { screenSize = { width = 960, height = 540 } } } } } }
area_F = { object_name = 'a', object_activity = 1, object_layer = 1, components = { Transform = {},
  LandscapeFactory = {
    manual = { { name = 'terrain_template', position = { x = 100, y = 400, z = 3 }, rate = 100 },
               { name = 'area_G', rate = 50 }, { name = 'nothing', rate = 100 }, { name = 'area_F', rate = 100 } },
    procedural = { { name = 'terrain_template', position = { x = { min = 900, max = 10 }, y = 480 }, count = { min = 3, max = 1 } } },
    conditional = { { condition = { { { compare = 5, target = 1, value = 0 } } },
                      consequent = { name = 'terrain_template', rate = 100 }, alternative = { name = 'area_G', rate = 100 } },
                    { alternative = { name = 'terrain_template', rate = 100 } } } } } }
area_G = { object_name = 'g', object_activity = 1, object_layer = 1, components = { Transform = {},
  LandscapeFactory = { manual = { { name = 'area_F', rate = 100 } } } } }
terrain_template = { object_name = 'seg', object_activity = 1, object_layer = 1, object_tag = 'Terrain', components = { Transform = {} } }
