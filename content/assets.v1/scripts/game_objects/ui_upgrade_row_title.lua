ui_upgrade_row_title = {
  object_name = "項目名",        -- "Row title"
  object_tag = "ui_upgrade_row_title",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 10, y = 14, z = 2.2 } },
    FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 0 },
  },
}
