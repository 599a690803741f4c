-- The companion's talk panel on the home stage: opened by tag, it fades in, takes the selection
-- (so A advances the talk) and switches off after fading out on Closing.
ui_lisvet_window = {
  object_name = "会話パネル",    -- "Talk panel"
  object_tag = "ui_lisvet_window",
  object_layer = LAYER_MENU,
  object_activity = INACTIVE,
  components = {
    Transform = { position = { z = 1 } },
    UIFrame = {},
    UIActivateTween = { disable_condition = -1 },
    TweenAlpha = { from = 0, to = 1, duration = 0.15 },
  },
  children = {
    { base_script = "ui_lisvet_talk" },
  },
}
