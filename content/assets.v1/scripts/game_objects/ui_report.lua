-- The report after a cleared quest: the quest's banner over the time, kills, experience and the
-- rewards about to be earned (depths are the objects' own: plate 2.4, banner 2.2, text 2). It drops in from above and leaves on B alone.
ui_report = {
  object_name = "クエスト報告",   -- "Quest report"
  object_tag = "ui_report",
  object_layer = LAYER_MENU,
  object_activity = INACTIVE,
  components = {
    Transform = { position = { x = 480, y = 270, z = 1 } },
    UIFrameReport = {
      label_report = "label_report",
      bg_quest_title = "bg_quest_title",
      sound_effect = { open_window = "assets.v1/sounds/se/open", close_window = "assets.v1/sounds/se/close" },
    },
    UIActivateTween = { disable_condition = -1 },
    TweenPosition = { from = { x = 480, y = 700 }, to = { x = 480, y = 270 }, method = 2, duration = 0.3 },
  },
  children = {
    { base_script = "ui_part", object_name = "報告文", object_tag = "label_report", -- "Report text"
      components = {
        -- Left-aligned text hangs right and down from its place: the box's top left corner, so
        -- that every line stays on the plate under the banner.
        Transform = { position = { x = -220, y = 70, z = 2 } },
        FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 0, size = { width = 400, height = 200 } },
      } },
    { base_script = "ui_part", object_name = "クエスト名", object_tag = "bg_quest_title", -- "Quest name"
      components = {
        Transform = { position = { x = 0, y = 110, z = 2.2 } },
        SpriteRenderer = { renderingCamera = "UICamera" },
        TextureAtlas = { atlasName = "quest_name_meadow" },
      } },
    { base_script = "ui_part", object_name = "報告枠", -- "Report frame"
      components = {
        Transform = { position = { x = 0, y = 0, z = 2.4 } },
        SlicedSpriteRenderer = {
          renderingCamera = "UICamera",
          size = { width = 480, height = 320 },
          border = { left = 8, right = 8, top = 8, bottom = 8 },
        },
        TextureAtlas = { atlasName = "ui_report_panel" },
      } },
  },
}
