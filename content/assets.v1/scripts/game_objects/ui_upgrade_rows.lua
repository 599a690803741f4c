-- The six parameter rows, top to bottom (y runs up); its colour tween is the blink every pending piece
-- follows (its renderer is an empty label, coloured to no effect).
-- A new child goes in front of its siblings, so the rows are listed last first.
ui_upgrade_rows = {
  object_name = "強化項目",      -- "Upgrade rows"
  object_tag = "ui_upgrade_rows",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = -300, y = 150, z = 2.2 } },
    FontRenderer = { renderingCamera = "UICamera", font = 0 },
    UITable = { on_start = true, direction = 1, padding = { x = 0, y = -40 } },
    TweenColor = {
      from = { a = 255, r = 255, g = 255, b = 255 },
      to = { a = 255, r = 90, g = 90, b = 90 },
      style = 2,
      duration = 0.25,
    },
  },
  children = {
    { base_script = "ui_upgrade_row", object_tag = "ui_upgrade_special_charge", object_name = "特殊回復" }, -- "Special charge"
    { base_script = "ui_upgrade_row", object_tag = "ui_upgrade_special_attack", object_name = "特殊攻撃" }, -- "Special attack"
    { base_script = "ui_upgrade_row", object_tag = "ui_upgrade_defense", object_name = "防御力" },          -- "Defense"
    { base_script = "ui_upgrade_row", object_tag = "ui_upgrade_attack", object_name = "攻撃力" },           -- "Attack"
    { base_script = "ui_upgrade_row", object_tag = "ui_upgrade_hp_recharge", object_name = "体力回復" },    -- "Health recharge"
    { base_script = "ui_upgrade_row", object_tag = "ui_upgrade_hp_max", object_name = "最大体力" },         -- "Max health"
  },
}
