-- The reward rows: one icon per listed reward, bright when held, dark when not; rows past the
-- quest's rewards are hidden and the rest close up.
ui_quest_reward_rows = {
  object_name = "報酬一覧",       -- "Reward list"
  object_tag = "table_progress",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = -160, y = 0, z = 2.4 } },
    UITable = { direction = 1, alignment = 0, padding = { x = 0, y = -40 } },
  },
  children = {
    { base_script = "ui_quest_reward_row" },
    { base_script = "ui_quest_reward_row" },
    { base_script = "ui_quest_reward_row" },
  },
}
