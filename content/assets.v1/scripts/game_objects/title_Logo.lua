-- The game's logo on the title screen, placed in the screen camera's view.
title_Logo = {
  object_name = "ロゴ",          -- "Logo"
  object_tag = "TitleLogo",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 480, y = 460, z = 5 } },
    SpriteRenderer = { renderingCamera = "UICamera" },
    TextureAtlas = { atlasName = "title_logo" },
  },
}
