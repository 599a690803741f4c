-- Cells in child order: the start button, the exit button, then the cursor in a cell of its own.
ui_title_select_table = {
  object_name = "メニュー列",     -- "Menu column"
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    UITable = { direction = 1, alignment = 1, padding = { x = 0, y = -56 }, on_start = true },
  },
  children = {
    { base_script = "ui_title_select_cursor" },
    { base_script = "ui_title_select_exit" },
    { base_script = "ui_title_select_start" },
  },
}
