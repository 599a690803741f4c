-- The experience the player has, after a slash.
ui_upgrade_total = {
  object_name = "所持経験値",    -- "Experience held"
  object_tag = "ui_upgrade_total",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 175, y = 180, z = 2.2 } },
    FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 0 },
  },
}
