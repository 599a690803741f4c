-- A sparkle at the emblem's corner: three frames, over and over.
ui_title_sparkle = {
  object_name = "きらめき",      -- "Sparkle"
  object_tag = "TitleSparkle",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 560, y = 300, z = 2 } },
    SpriteRenderer = { renderingCamera = "UICamera" },
    TextureAtlas = { atlasName = "ui_sparkle_1" },
    TweenAtlasAnimation = {
      style = 1,
      play = true,
      frames = { { "ui_sparkle_1", 0.1 }, { "ui_sparkle_2", 0.1 }, { "ui_sparkle_3", 0.2 } },
    },
  },
}
