ui_title_select_start = {
  object_name = "はじめから",     -- "From the start"
  object_tag = "select_start",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 0, y = 0, z = 3 } },
    SlicedSpriteRenderer = {
      renderingCamera = "UICamera",
      size = { width = 150, height = 40 },
      border = { left = 4, right = 4, top = 4, bottom = 4 },
    },
    TextureAtlas = { atlasName = "ui_button" },
    UIButtonKeys = { up = "select_exit", down = "select_exit", start_selected = true },
    UIButtonMessage = { trigger = 0, target = "PresetTarget_UIRoot", click = {} },
    TweenColor = { from = { a = 255, r = 255, g = 255, b = 255 }, to = { a = 255, r = 255, g = 170, b = 40 }, duration = 0.1 },
    UITriggerTween = { trigger = 11, direction = 1 },
    UITriggerSound = { { trigger = 0, sound = "assets.v1/sounds/se/decide" } },
    UIForwardEvents = { target = "title_cursor", mask = 8 },
  },
  children = {
    { base_script = "ui_part", object_name = "はじめから", -- "From the start"
      components = {
        Transform = { position = { x = 0, y = 14, z = 2.8 } },  -- text hangs from its top: half a line up centres it
        FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 1, size = { width = 150, height = 28 }, text = "はじめから" },
      } },
  },
}
