ui_title_select_exit = {
  object_name = "おわる",         -- "Quit"
  object_tag = "select_exit",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    SpriteRenderer = { renderingCamera = "UICamera" },
    TextureAtlas = { atlasName = "ui_button" },
    UIButtonKeys = { up = "select_start", down = "select_start" },
    UIButtonMessage = { trigger = 0, target = "PresetTarget_UIRoot", click = {} },
    TweenColor = { from = { a = 255, r = 255, g = 255, b = 255 }, to = { a = 255, r = 255, g = 170, b = 40 }, duration = 0.1 },
    UITriggerTween = { trigger = 11, direction = 1 },
    UITriggerSound = { { trigger = 0, sound = "assets.v1/sounds/se/decide" } },
    UIForwardEvents = { target = "title_cursor", mask = 8 },
  },
}
