stage_F = { object_name = 'stage', object_activity = 1, object_layer = 1,
  components = { Transform = { scaling = { x = -2, y = 0 } },
    FontRenderer = { font = 300, alignment = 7, letterSpacing = 0/0, lineSpacing = -1e30, encoding = 1,
      size = { width = -1, height = 1/0 }, text = 'A<FF0000>B<\n<zzzzzz>C<>\n\n<12345678>', brightness = 1e9,
      color = { r = 300, g = -1, b = 0/0, a = 255 } },
    MovieRenderer = { title = 'assets.v1/scripts/stage/stage_F', frameBufferCount = -5, soundBufferCount = 1e12,
      autoPlay = true, loopPlay = 1, position = { x = 0/0, y = 1/0 } },
    SpriteNumberRenderer = { max_digit = 1e9, number = -2147483648, alignment = 2, hidden_zero = true,
      sprite_names = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 }, scale = { left = 0/0, right = 1e38 },
      padding = { x = 1/0, y = -1/0 } } },
  children = { { base_script = 'area_F' } } }
area_F = { object_name = 'a', object_activity = 1, object_layer = 1,
  components = { Transform = {}, SpriteRenderer = { size = { width = 8, height = 8 } },
    SpriteNumberRenderer = { max_digit = 12, number = 0, scale = { left = 1, right = 2 } } },
  children = { { base_script = 'area_G' } } }
area_G = { object_name = 'g', object_activity = 1, object_layer = 1,
  components = { Transform = {},
    SpriteBlurRenderer = { maxBlurs = 1e12, baseAlpha = 999, intervalTime = 0, blendMode = -1, useStageColor = true },
    FontRenderer = { font = 1, text = '<FF0000>' } } }
