-- The companion's talk window: a sliced frame with an arrow towards the speaker, the line
-- revealed a character at a time and a "next" marker once it is all shown. A advances.
-- Its depths (3.3 and 3.4) lie behind every screen and dialog (1 to 3), so a remark left up
-- never covers a menu opened over it, and in front of the stage (the player is at 5).
ui_lisvet_talk = {
  object_name = "会話ウィンドウ", -- "Talk window"
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 480, y = 110 } },
    UITalkWindow = {
      label_text = "talk_label", sprite_frame = "talk_frame", sprite_frame_arrow = "talk_arrow",
      sprite_next = "talk_next", character_display_time = 0.05, pad_next = 16,
    },
  },
  children = {
    { base_script = "ui_hud_piece", object_tag = "talk_frame",
      components = {
        Transform = { position = { z = 3.4 } },
        SlicedSpriteRenderer = { renderingCamera = "UICamera", size = { width = 640, height = 120 },
                                 border = { left = 12, right = 12, top = 12, bottom = 12 } },
        TextureAtlas = { atlasName = "ui_talk_frame" },
      } },
    { base_script = "ui_hud_piece", object_tag = "talk_arrow",
      components = {
        Transform = { position = { x = -260, y = 66, z = 3.4 } },
        SpriteRenderer = { renderingCamera = "UICamera" },
        TextureAtlas = { atlasName = "ui_talk_arrow" },
      } },
    { base_script = "ui_hud_piece", object_tag = "talk_next",
      components = {
        Transform = { position = { x = 296, y = -44, z = 3.3 } },
        SpriteRenderer = { renderingCamera = "UICamera" },
        TextureAtlas = { atlasName = "ui_talk_next" },
      } },
    { base_script = "ui_hud_piece", object_tag = "talk_label",
      components = {
        -- Nearer than the frame: at the same depth the see-through frame may be drawn over the
        -- letters and grey them.
        Transform = { position = { x = -300, y = 40, z = 3.3 } },
        FontRenderer = {
          renderingCamera = "UICamera", font = 0, alignment = 0, size = { width = 600, height = 100 },
          encoding = true,
          text = "<F2C94C>リスベット<F4F1E8>「今日も行こう!」",  -- "Lisvet: \"Let's go again today!\""
        },
      } },
  },
}
