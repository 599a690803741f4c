-- The signpost's two lines, centred on its board: they hang from 4 below the board's top edge,
-- 38 above the sign's middle.
signpost_Text = {
  object_name = "立て札の文字",  -- "Signpost text"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 0, y = 38, z = 29 } },
    FontRenderer = {
      font = 0,
      alignment = 1,
      color = { r = 30, g = 30, b = 42, a = 255 },  -- dark letters on the white board
      size = { width = 120, height = 60 },
      text = "この先\n洞窟",  -- "This way / to the cave"
    },
  },
}
