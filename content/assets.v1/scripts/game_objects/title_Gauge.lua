-- A gauge: a green bar over a dark undercoat, placed against its parent.
title_Gauge = {
  object_name = "ゲージ",        -- "Gauge"
  object_tag = "TitleGauge",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 0, y = -30, z = 3 } },
    SlideBarRenderer = {
      size = { width = 360, height = 16 },
      color = { r = 93, g = 170, b = 79, a = 255 },
      undercoatCol = { r = 30, g = 30, b = 42, a = 255 },
    },
  },
}
