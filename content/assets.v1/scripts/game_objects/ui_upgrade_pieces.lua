-- Ten level pieces in a row; all are shown when first laid out, then as many as the level.
ui_upgrade_pieces = {
  object_name = "レベル",        -- "Level"
  object_tag = "ui_upgrade_pieces",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 300, y = 0 } },
    UITable = { on_start = true, direction = 1, padding = { x = 16, y = 0 } },
  },
  children = {
    { base_script = "ui_upgrade_piece" }, { base_script = "ui_upgrade_piece" },
    { base_script = "ui_upgrade_piece" }, { base_script = "ui_upgrade_piece" },
    { base_script = "ui_upgrade_piece" }, { base_script = "ui_upgrade_piece" },
    { base_script = "ui_upgrade_piece" }, { base_script = "ui_upgrade_piece" },
    { base_script = "ui_upgrade_piece" }, { base_script = "ui_upgrade_piece" },
  },
}
