-- Asked at the home base before saving.
ui_save_yes_no = {
  object_name = "セーブ確認",     -- "Save question"
  object_tag = "ui_save_yes_no",
  object_layer = LAYER_MENU,
  object_activity = INACTIVE,
  components = {
    Transform = { position = { x = 480, y = 270, z = 1 } },
    UIFrameCommonYesNo = {
      close_pad = 32,
      -- The window it moves and the label it writes the question into, found by tag.
      window_root = "window_root",
      label_info = "label_info",
      info_text = "セーブしますか？",          -- "Save?"
      sound_effect = {
        open = "assets.v1/sounds/se/open",
        select = "assets.v1/sounds/se/cursor",
        yes = "assets.v1/sounds/se/decide",
        cancel = "assets.v1/sounds/se/cancel",
      },
    },
    UIActivateTween = { disable_condition = -1 },
    TweenAlpha = { from = 0, to = 1, duration = 0.15, children = true },
  },
  children = { { base_script = "ui_yes_no_window" } },
}
