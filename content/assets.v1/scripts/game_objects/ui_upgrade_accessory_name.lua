ui_upgrade_accessory_name = {
  object_name = "アクセサリ名",  -- "Accessory name"
  object_tag = "ui_upgrade_accessory_name",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 15, y = 0, z = 2.2 } },
    FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 0 },
  },
}
