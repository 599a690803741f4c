ui_upgrade_row_num = {
  object_name = "項目値",        -- "Row value"
  object_tag = "ui_upgrade_row_num",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 250, y = 14, z = 2.2 } },
    FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 2 },
  },
}
