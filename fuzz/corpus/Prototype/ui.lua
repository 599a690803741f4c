stage_F = { object_name = 'stage', object_activity = 1, object_layer = 1,
  components = { Transform = {} },
  children = { { base_script = 'area_F' }, { base_script = 'area_G' },
    { base_script = 'terrain_template', object_tag = 'UICamera',
      components = { Transform = { position = { x = 480, y = 270 } }, Camera2D = { screenSize = { width = 960, height = 540 } } } } } }
area_F = { object_name = 'ui', object_activity = 1, object_layer = 2048,
  components = { Transform = {}, UIRoot = { camera = 'UICamera' } },
  children = { { base_script = 'area_G', object_tag = 'ui_hud' },
    { base_script = 'area_G', object_tag = 'ui_hud', object_activity = 0 },
    { base_script = 'terrain_template', object_tag = 'ui_title_logo', object_activity = 0,
      components = { UIFrame = { not_select = 1, close_pad = -1 } } } } }
area_G = { object_name = 'panel', object_activity = 1, object_layer = 2048,
  components = { Transform = { position = { x = 10, y = 300 } }, UIFrame = { close_pad = 32.9, not_select = false },
    SpriteRenderer = { renderingCamera = 'UICamera' }, TextureAtlas = { atlasName = 'nothing' },
    TweenAlpha = { from = 0, to = 2, method = 3, style = 2, duration = 0.05, play = true, children = false, group = 300 },
    TweenColor = { from = { a = 255, r = 300, g = -1 }, to = { b = 255 }, method = 4, style = 1, duration = -1, factor = 0.5 },
    TweenPosition = { from = { x = 1, y = 2 }, to = { x = 1e30, y = -1e30 }, islocal = 1, play = false, delay = 0.02 },
    TweenShake = { length = { x = 5, y = 7 }, frequency = 1e9, duration = 0.1, play = true, method = 5 },
    TweenAtlasAnimation = { frames = { { 'a', 0.01 }, 'bad', { 'b', -5 }, { 7 }, {} }, style = 2, play = true, factor = 2 } },
  children = { { base_script = 'terrain_template', components = { TweenAlpha = { factor = 0 / 0 }, UIFrame = {} } } } }
terrain_template = { object_name = 't', object_activity = 1, object_layer = 2048, components = { Transform = {} } }
