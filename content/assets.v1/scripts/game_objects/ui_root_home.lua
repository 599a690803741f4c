-- The home base's UI tree and its panels.
ui_root_home = {
  object_name = "拠点UI",        -- "Home UI"
  object_tag = "UIRoot",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    UIRoot = { camera = "UICamera" },
  },
  children = {
    { base_script = "ui_hud" },
    { base_script = "ui_lisvet_window" },
    { base_script = "ui_upgrade_parameter" },
    { base_script = "ui_quest_select" },
    { base_script = "ui_save_yes_no" },
    { base_script = "ui_exit_yes_no" },
    { base_script = "ui_common_yes_no" },
  },
}
