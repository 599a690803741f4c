-- An arrow of the quest position display: it flashes yellow and fades back when pressed.
ui_quest_arrow = {
  object_name = "矢印",           -- "Arrow"
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    SpriteRenderer = { renderingCamera = "UICamera" },
    TextureAtlas = { atlasName = "ui_arrow_up" },
    TweenColor = { from = { a = 255, r = 255, g = 255, b = 120 }, to = { a = 255, r = 255, g = 255, b = 255 }, duration = 0.2 },
    UITriggerTween = { trigger = 5, direction = 1, reset_on_play = true },
  },
}
