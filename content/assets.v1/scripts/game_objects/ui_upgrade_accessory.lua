-- The accessory row under the parameters: the equipped accessory's name between two arrows,
-- and its explanation below.
ui_upgrade_accessory = {
  object_name = "アクセサリ",    -- "Accessory"
  object_tag = "ui_upgrade_accessory",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = -280, y = -130 } },
    UIAccessoryBar = {
      label_name = "ui_upgrade_accessory_name",
      label_info = "ui_upgrade_accessory_info",
      sprite_arrow_left = "ui_upgrade_arrow_left",
      sprite_arrow_right = "ui_upgrade_arrow_right",
      sound_effect = {
        select_bar = "assets.v1/sounds/se/cursor",
        item_next = "assets.v1/sounds/se/cursor",
        item_prev = "assets.v1/sounds/se/cursor",
      },
    },
  },
  children = {
    { base_script = "ui_upgrade_accessory_info" },
    { base_script = "ui_upgrade_arrow_right", components = { Transform = { position = { x = 60, y = 0, z = 2.4 } } } },
    { base_script = "ui_upgrade_accessory_name" },
    { base_script = "ui_upgrade_arrow_left" },
  },
}
