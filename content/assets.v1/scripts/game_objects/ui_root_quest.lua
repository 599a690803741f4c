-- A quest stage's UI tree and its panels.
ui_root_quest = {
  object_name = "クエストUI",    -- "Quest UI"
  object_tag = "UIRoot",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    UIRoot = { camera = "UICamera" },
  },
  children = {
    { base_script = "ui_hud" },
    { base_script = "ui_lisvet_window_auto" },
    { base_script = "ui_upgrade_parameter" },
    { base_script = "ui_giveup_yes_no" },
    { base_script = "ui_common_yes_no" },
    { base_script = "ui_report" },
  },
}
