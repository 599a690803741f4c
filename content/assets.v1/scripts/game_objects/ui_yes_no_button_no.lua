-- The dialog's "No" button: lit while selected; a click asks its frame to close with it as the
-- answer's origin.
ui_yes_no_button_no = {
  object_name = "いいえ",           -- "No"
  object_tag = "select_no",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 80, y = -35, z = 1.2 } },
    SpriteRenderer = { renderingCamera = "UICamera" },
    TextureAtlas = { atlasName = "ui_dialog_no" },
    UIButtonKeys = { left = "select_yes", start_selected = true },
    UIButtonMessage = { trigger = 0, target = "PresetTarget_UIFrame", closing = {} },
    TweenColor = { from = { a = 255, r = 255, g = 255, b = 255 }, to = { a = 255, r = 255, g = 220, b = 120 }, duration = 0.1 },
    UITriggerTween = { trigger = 11, direction = 1 },
  },
  children = {
    { base_script = "ui_part", object_name = "いいえ", -- "No"
      components = {
        Transform = { position = { x = 0, y = 14, z = 1 } },  -- text hangs from its top: half a line up centres it
        FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 1, size = { width = 96, height = 28 }, text = "いいえ" },
      } },
  },
}
