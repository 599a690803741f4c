ui_upgrade_accessory_info = {
  object_name = "アクセサリ説明", -- "Accessory explanation"
  object_tag = "ui_upgrade_accessory_info",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 15, y = -34, z = 2.2 } },
    FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 0 },
  },
}
