-- One level piece: the row sets its sprite; a saved piece stands still, a pending one blinks.
ui_upgrade_piece = {
  object_name = "レベル片",      -- "Level piece"
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 2.4 } },
    SpriteRenderer = { renderingCamera = "UICamera" },
    TextureAtlas = { atlasName = "upgrade_parameter/piece_hp_max" },
    TweenColor = {
      from = { a = 255, r = 255, g = 255, b = 255 },
      to = { a = 255, r = 90, g = 90, b = 90 },
      style = 2,
      duration = 0.25,
      play = true,
    },
  },
}
