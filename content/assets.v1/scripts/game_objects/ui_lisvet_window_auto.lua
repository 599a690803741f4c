-- The same talk panel on quest stages: it never takes the selection, so a dialog opened in play
-- keeps the pad, and each line moves on by itself three seconds after it is complete. Its window
-- is the narrow one in the sky's corner, clear of the fight and of the report.
ui_lisvet_window_auto = {
  object_name = "会話パネル",    -- "Talk panel"
  object_tag = "ui_lisvet_window",
  object_layer = LAYER_MENU,
  object_activity = INACTIVE,
  components = {
    Transform = { position = { z = 1 } },
    UIFrame = { not_select = true },
    UIActivateTween = { disable_condition = -1 },
    TweenAlpha = { from = 0, to = 1, duration = 0.15 },
  },
  children = {
    { base_script = "ui_lisvet_talk_corner",
      components = {
        UITalkWindow = {
          label_text = "talk_label", sprite_frame = "talk_frame", sprite_frame_arrow = "talk_arrow",
          sprite_next = "talk_next", character_display_time = 0.05, auto_display_time = 3, pad_next = 16,
        },
      } },
  },
}
