stage_W = { object_name = 'stage', object_activity = 1, object_layer = 1,
  components = { Transform = {} },
  children = { { base_script = 'area_W' } } }
area_W = { object_name = 'ui', object_activity = 1, object_layer = 2048,
  components = { Transform = {}, UIRoot = {} },
  children = { { base_script = 'menu_W' } } }
menu_W = { object_name = 'menu', object_tag = 'ui_menu', object_activity = 1, object_layer = 2048,
  components = { Transform = {}, UIFrame = {}, UIActivateTween = { group = true, children = 1, disable_condition = -1, disable_when_remove_gameobj = true },
    TweenAlpha = { duration = 0.01, group = 1 } },
  children = { { base_script = 'table_W' }, { base_script = 'gauge_W' }, { base_script = 'wheel_W' } } }
table_W = { object_name = 'table', object_activity = 1, object_layer = 2048,
  components = { Transform = {}, UITable = { direction = 2, alignment = 300, padding = { x = 1e30, y = 0 / 0 }, on_start = true } },
  children = { { base_script = 'button_W', object_tag = 'b1' }, { base_script = 'button_W', object_tag = 'b2', object_activity = 0 },
    { base_script = 'cursor_W' } } }
button_W = { object_name = 'button', object_activity = 1, object_layer = 2048,
  components = { Transform = {}, UIButtonKeys = { up = 'b1', down = 'b2', left = '', pad_up = -1, pad_down = 2.5, start_selected = 1 },
    UIButtonMessage = { trigger = -3, target = 'PresetTarget_UIRoot', click = {}, drag = { x = 0 / 0, y = 1e40 }, closing = 1, pad = { key = 'x' } },
    UIButtonKeyBinding = { key = 16384 },
    UITriggerSound = { { trigger = 0, sound = 'assets.v1/sounds/se/decide' }, { trigger = 5 }, 'bad', {} },
    UITriggerTween = { trigger = 11, direction = -1, target = 'nobody', enable_condition = 1, disable_condition = 1, reset_on_play = true, group = 1e20 },
    UIForwardEvents = { target = 'cursor', mask = -1 },
    TweenColor = { duration = 0.02 } } }
cursor_W = { object_name = 'cursor', object_tag = 'cursor', object_activity = 1, object_layer = 2048,
  components = { Transform = {}, UISelector = { target_tag = 'b1' }, TweenPosition = { duration = 0 } } }
gauge_W = { object_name = 'gauge', object_activity = 1, object_layer = 2048,
  components = { Transform = {}, UISlider = { value = 1e30, direciton = 7, foreground = 'missing', size = { width = -5 } } } }
wheel_W = { object_name = 'wheel', object_activity = 1, object_layer = 2048,
  components = { Transform = {}, UIWheel = { force = 1e30, friction = 2, base_rps = 0 / 0 },
    SpriteRenderer = {}, TextureAtlas = { atlasName = 'nothing' }, UIRandomAtlas = { atlases = { 'a', 5, {} } } } }
