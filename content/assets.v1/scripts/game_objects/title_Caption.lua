-- The title's caption, centred under the panel; the colour tag paints one word red.
title_Caption = {
  object_name = "見出し",        -- "Caption"
  object_tag = "TitleCaption",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 480, y = 60, z = 4 } },
    FontRenderer = {
      renderingCamera = "UICamera",
      font = 1,
      alignment = 1,
      encoding = true,
      size = { width = 480, height = 40 },
      text = "ようこそ、<D9483B>冒険者<>さん",  -- "Welcome, adventurer"
    },
  },
}
