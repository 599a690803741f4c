-- One parameter row: its title (the row's object name), its value, the strip of level pieces
-- between two arrows, and the highlight shown while it is selected. Each use sets the row's tag
-- and title. Sprites are centred on the row's line; the texts hang from their top, so they sit
-- half a line (14) up to share that line.
ui_upgrade_row = {
  object_name = "強化項目",      -- "Upgrade row"
  object_tag = "ui_upgrade_hp_max",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    UIUpgradeBar = {
      label_title = "ui_upgrade_row_title",
      label_num = "ui_upgrade_row_num",
      sprite_select = "ui_upgrade_row_select",
      sprite_arrow_left = "ui_upgrade_arrow_left",
      sprite_arrow_right = "ui_upgrade_arrow_right",
      table_piece = "ui_upgrade_pieces",
      sound_effect = { select_bar = "assets.v1/sounds/se/cursor" },
    },
  },
  children = {
    { base_script = "ui_upgrade_arrow_right", components = { Transform = { position = { x = 470, y = 0, z = 2.4 } } } },
    { base_script = "ui_upgrade_pieces" },
    { base_script = "ui_upgrade_arrow_left", components = { Transform = { position = { x = 280, y = 0, z = 2.4 } } } },
    { base_script = "ui_upgrade_row_num" },
    { base_script = "ui_upgrade_row_title" },
    { base_script = "ui_upgrade_row_select" },
  },
}
