-- One third of the power gauge: white while filling, the special colour once full.
ui_hud_special_slider = {
  object_name = "必殺ゲージ",    -- "Special gauge"
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    UISlider = { foreground = "special_fill", direciton = 0, size = { width = 52, height = 10 } },
  },
  children = {
    { base_script = "ui_hud_leaf", object_tag = "special_back",
      components = {
        Transform = { position = { z = 1 } },
        SpriteRenderer = { renderingCamera = "UICamera", size = { width = 52, height = 10 } },
        TextureAtlas = { atlasName = "ui_hud_gauge_back" },
      } },
    { base_script = "ui_hud_leaf", object_tag = "special_fill",
      components = {
        SpriteRenderer = { renderingCamera = "UICamera", size = { width = 52, height = 10 } },
        TextureAtlas = { atlasName = "ui_hud_special_fill" },
      } },
  },
}
