-- The version line, right-aligned near the screen's right edge.
title_Version = {
  object_name = "版番号",        -- "Version"
  object_tag = "TitleVersion",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 940, y = 250, z = 4 } },
    FontRenderer = {
      renderingCamera = "UICamera",
      font = 0,
      alignment = 2,
      size = { width = 200, height = 30 },
      text = "バージョン 1.0",  -- "Version 1.0"
    },
  },
}
