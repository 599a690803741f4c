-- The companion's talk window on quest stages: a narrow frame in the sky's right corner, under
-- the combo count. The fight keeps to the ground band and the report's plate to the middle,
-- so a remark covers neither the player, an enemy nor the report it may still be up over.
-- No companion stands on a quest stage, so no arrow points at one. Lines longer than the frame
-- are broken in the talk table. Its depths are the home window's: behind the report and the
-- dialogs, in front of the stage.
ui_lisvet_talk_corner = {
  object_name = "会話ウィンドウ", -- "Talk window"
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 840, y = 380 } },
    UITalkWindow = {
      label_text = "talk_label", sprite_frame = "talk_frame", sprite_frame_arrow = "talk_arrow",
      sprite_next = "talk_next", character_display_time = 0.05, pad_next = 16,
    },
  },
  children = {
    { base_script = "ui_hud_piece", object_tag = "talk_frame",
      components = {
        Transform = { position = { z = 3.4 } },
        SlicedSpriteRenderer = { renderingCamera = "UICamera", size = { width = 236, height = 100 },
                                 border = { left = 12, right = 12, top = 12, bottom = 12 } },
        TextureAtlas = { atlasName = "ui_talk_frame" },
      } },
    { base_script = "ui_hud_piece", object_tag = "talk_next",
      components = {
        Transform = { position = { x = 102, y = -34, z = 3.3 } },
        SpriteRenderer = { renderingCamera = "UICamera" },
        TextureAtlas = { atlasName = "ui_talk_next" },
      } },
    { base_script = "ui_hud_piece", object_tag = "talk_label",
      components = {
        -- Nearer than the frame, as on the home window.
        Transform = { position = { x = -106, y = 34, z = 3.3 } },
        FontRenderer = {
          renderingCamera = "UICamera", font = 0, alignment = 0, size = { width = 212, height = 80 },
          encoding = true,
        },
      } },
  },
}
