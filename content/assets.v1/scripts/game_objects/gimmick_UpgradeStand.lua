-- Between the save spot and the quest board: pressing up opens the parameter upgrade screen,
-- where experience buys levels.
gimmick_UpgradeStand = {
  object_name = "鍛錬の場所",    -- "Training spot"
  object_layer = LAYER_GIMMICK,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 600, y = 50 } },
    Box2DCollider = { size = { width = 60, height = 100 }, cullingMask = LAYER_PLAYER },
    GimmickOpenMenu = { open_menu_name = "ui_upgrade_parameter", open_pad = PAD_UP },
  },
}
