-- One stage tab: plain until selected, lit while it is. Its stages come from where it is used.
ui_quest_tab = {
  object_name = "タブ",           -- "Tab"
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 0, y = 0, z = 2.4 } },
    SpriteRenderer = { renderingCamera = "UICamera" },
    TextureAtlas = { atlasName = "ui_tab" },
    UIButtonKeys = {},
    TweenColor = { from = { a = 255, r = 255, g = 255, b = 255 }, to = { a = 255, r = 255, g = 200, b = 80 }, duration = 0.1 },
    UITriggerTween = { trigger = 11, direction = 1 },
  },
}
