stage_F = { object_name = 'stage', object_activity = 1, object_layer = 1,
  components = { Transform = {} },
  children = { { base_script = 'area_F' }, { base_script = 'area_G' },
    { base_script = 'terrain_template', object_tag = 'GameCamera',
      components = { Transform = { position = { x = 480, y = 270 } },
        Camera2D = { depth = 3, screenSize = { width = 960, height = 540 }, spring = { length = 1, springConst = 2, dumpConst = 3 } } } } } }
area_F = { object_name = 'sprites', object_activity = 1, object_layer = 1,
  components = { Transform = { position = { x = 100, y = 50, z = 3 }, rotation = 30, scaling = { x = 2, y = -1 } },
    SlicedSpriteRenderer = { size = { width = 64, height = 32 }, border = { left = 40, right = 40, top = 1, bottom = 99 },
      color = { r = 255, g = 10, b = 0, a = 200 }, brightness = 2, pivot = 15, flipH = true, flipV = true,
      blendMode = 7, addressU = 1, addressV = -1, renderingCamera = 'GameCamera' },
    TextureAtlas = { atlasInfo = { texture = 'none', uvRect = { x = 1, y = 2, width = 3, height = 4 }, offset = { x = 1, y = 1 } } },
    SpriteAnimation = { stand_loop = { 'fz_pose', 'fz_once', 'missing' }, walk = { 'fz_loop' }, empty = {} } },
  children = { { base_script = 'area_G', components = { Transform = { position = { x = 5, y = 5, z = 1 } },
    SlideBarRenderer = { size = { width = 30, height = 4 }, color = { r = 1, g = 2, b = 3, a = 4 }, undercoatCol = { a = 9 } } } } } }
area_G = { object_name = 'box', object_activity = 1, object_layer = 1,
  components = { Transform = { position = { x = 10, y = 300 } },
    SpriteRenderer = { size = { width = 10, height = 10 }, offset = { x = 1, y = 2 }, renderingCamera = 'NoCamera' },
    TextureAtlas = { atlasName = 'nothing' },
    Box2DCollider = { center = { x = 0, y = 4 }, size = { width = 40, height = 40 } },
    CollisionAnimation = { default = { 'fz_loop', 'fz_pose' }, other = { 'fz_once' } } } }
terrain_template = { object_name = 'cam', object_activity = 1, object_layer = 1, components = { Transform = {} } }
