-- A tip icon beside the emblem: one of the tip pictures, drawn afresh each time the panel opens.
ui_title_tip = {
  object_name = "ヒントアイコン", -- "Tip icon"
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 320, y = 270, z = 3 } },
    SpriteRenderer = { renderingCamera = "UICamera" },
    TextureAtlas = { atlasName = "ui_tip_icon_leaf" },
    UIRandomAtlas = { atlases = { "ui_tip_icon_leaf", "ui_tip_icon_star" } },
  },
}
