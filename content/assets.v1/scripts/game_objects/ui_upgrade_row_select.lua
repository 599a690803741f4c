ui_upgrade_row_select = {
  object_name = "選択枠",        -- "Selection frame"
  object_tag = "ui_upgrade_row_select",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 240, y = 0, z = 2.6 } },
    SpriteRenderer = { renderingCamera = "UICamera" },
    TextureAtlas = { atlasName = "upgrade_parameter/row_highlight" },
  },
}
