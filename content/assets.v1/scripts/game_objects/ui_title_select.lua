-- The title menu: opened by tag, it takes the selection and slides in from below. Its two
-- buttons sit in a centred column; each lights up while selected, clicks to the UI root (whose
-- listeners, the title flow, act on it) and tells the cursor where to glide.
-- The cursor glides between points of the world, so the slide waits at its start until the
-- cursor's first glide, onto the start button as the menu opens, has ended: a slide under a
-- glide would leave the cursor behind.
ui_title_select = {
  object_name = "タイトルメニュー", -- "Title menu"
  object_tag = "ui_title_select",
  object_layer = LAYER_MENU,
  object_activity = INACTIVE,
  components = {
    Transform = { position = { x = 480, y = 40, z = 3 } },
    UIFrameTitleSelect = { sound_effect = { select = "assets.v1/sounds/se/cursor" } },
    UIActivateTween = {},
    TweenPosition = { from = { x = 480, y = 40 }, to = { x = 480, y = 140 }, method = 2, duration = 0.3, delay = 0.2 },
  },
  children = {
    { base_script = "ui_title_select_table" },
  },
}
