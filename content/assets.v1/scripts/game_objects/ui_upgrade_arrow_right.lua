ui_upgrade_arrow_right = {
  object_name = "右矢印",        -- "Right arrow"
  object_tag = "ui_upgrade_arrow_right",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 2.4 } },
    SpriteRenderer = { renderingCamera = "UICamera" },
    TextureAtlas = { atlasName = "upgrade_parameter/arrow_right" },
  },
}
