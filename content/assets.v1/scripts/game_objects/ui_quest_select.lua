-- The quest select screen: stage tabs along the top (LB and RB move between them), the quest
-- window with its banner, level, icon, explanation and reward rows, and the position in the
-- tab's list. Up and down page the quests, left and right the rewards, A asks for
-- confirmation in the shared yes/no dialog, B closes. It slides in from the right. Depths are
-- the objects' own (smaller is nearer): plate 2.6, pictures 2.4, cursor and texts 2.2.
ui_quest_select = {
  object_name = "クエスト選択",   -- "Quest select"
  object_tag = "ui_quest_select",
  object_layer = LAYER_MENU,
  object_activity = INACTIVE,
  components = {
    Transform = { position = { x = 480, y = 270, z = 2 } },
    UIFrameQuestSelect = {
      tab_table = "tab_table",
      quest_window = "quest_window",
      quest_number_display = "quest_number_display",
      yes_no_window_text = "このクエストに出発しますか？", -- "Set out on this quest?"
      yes_no_window_offset = { x = 0, y = -60 },
      sound_effect = {
        open = "assets.v1/sounds/se/open",
        change_stage = "assets.v1/sounds/se/cursor",
        change_quest = "assets.v1/sounds/se/cursor",
        change_reward = "assets.v1/sounds/se/cursor",
        close = "assets.v1/sounds/se/close",
      },
    },
    UIActivateTween = { disable_condition = -1 },
    TweenPosition = { from = { x = 1440, y = 270 }, to = { x = 480, y = 270 }, method = 2, duration = 0.25 },
  },
  children = {
    { base_script = "ui_quest_window" },
    { base_script = "ui_quest_number_display" },
    { base_script = "ui_quest_tabs" },
    { base_script = "ui_part", object_name = "選択枠", -- "Select frame"
      components = {
        Transform = { position = { x = 0, y = 0, z = 2.6 } },
        SlicedSpriteRenderer = {
          renderingCamera = "UICamera",
          size = { width = 760, height = 440 },
          border = { left = 8, right = 8, top = 8, bottom = 8 },
        },
        TextureAtlas = { atlasName = "ui_frame" },
      } },
  },
}
