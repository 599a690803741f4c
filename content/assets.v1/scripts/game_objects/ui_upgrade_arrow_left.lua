ui_upgrade_arrow_left = {
  object_name = "左矢印",        -- "Left arrow"
  object_tag = "ui_upgrade_arrow_left",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 2.4 } },
    SpriteRenderer = { renderingCamera = "UICamera" },
    TextureAtlas = { atlasName = "upgrade_parameter/arrow_left" },
  },
}
