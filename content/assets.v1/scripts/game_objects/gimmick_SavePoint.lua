-- By the house door: pressing up asks whether to save.
gimmick_SavePoint = {
  object_name = "記録の場所",    -- "Save spot"
  object_layer = LAYER_GIMMICK,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 470, y = 50 } },
    Box2DCollider = { size = { width = 60, height = 100 }, cullingMask = LAYER_PLAYER },
    GimmickOpenMenu = { open_menu_name = "ui_save_yes_no", open_pad = PAD_UP },
  },
}
