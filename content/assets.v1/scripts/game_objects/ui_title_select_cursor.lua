-- The cursor glides onto the selected button; it stands on the start button when the menu opens.
ui_title_select_cursor = {
  object_name = "矢印",           -- "Arrow"
  object_tag = "title_cursor",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = -60, y = 0, z = 2.6 } },
    SpriteRenderer = { renderingCamera = "UICamera" },
    TextureAtlas = { atlasName = "ui_cursor" },
    UISelector = { target_tag = "select_start" },
    TweenPosition = { duration = 0.12 },
  },
}
