-- The experience the pending levels cost; red when it is more than the player has.
ui_upgrade_cost = {
  object_name = "必要経験値",    -- "Experience needed"
  object_tag = "ui_upgrade_cost",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 170, y = 180, z = 2.2 } },
    FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 2 },
  },
}
