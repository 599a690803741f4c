-- The cursor glides onto the selected button; it stands on the start button when the menu opens.
-- Its arrow is drawn beside the button's left end, pointing at the label, never over it.
ui_title_select_cursor = {
  object_name = "矢印",           -- "Arrow"
  object_tag = "title_cursor",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = -60, y = 0, z = 2.6 } },
    UISelector = { target_tag = "select_start" },
    TweenPosition = { duration = 0.12 },
  },
  children = {
    -- The buttons are 150 wide: 95 left of a button's middle leaves a gap of a few pixels.
    { base_script = "ui_part", object_name = "矢印の絵",  -- "Arrow picture"
      components = {
        Transform = { position = { x = -95, y = 0, z = 0 } },
        SpriteRenderer = { renderingCamera = "UICamera" },
        TextureAtlas = { atlasName = "ui_cursor" },
      } },
  },
}
