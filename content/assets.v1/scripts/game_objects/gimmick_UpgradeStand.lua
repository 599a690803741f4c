-- Between the save spot and the quest board: pressing up opens the parameter upgrade screen,
-- where experience buys levels.
-- Its dummy is drawn and, while the player stands before it, the key that opens it.
gimmick_UpgradeStand = {
  object_name = "鍛錬の場所",    -- "Training spot"
  object_layer = LAYER_GIMMICK,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 600, y = 50, z = 28 } },
    SpriteRenderer = {},
    TextureAtlas = { atlasName = "gimmick_training_spot" },
    Box2DCollider = { size = { width = 60, height = 100 }, cullingMask = LAYER_PLAYER },
    GimmickOpenMenu = { open_menu_name = "ui_upgrade_parameter", open_pad = PAD_UP },
    GimmickActivateObject = { target = "key_hint", target_offset = { x = 0, y = 70 }, only_overlap = true,
                              layer_mask = LAYER_PLAYER },
  },
  children = {
    { base_script = "gimmick_KeyHint",
      components = { FontRenderer = { font = 0, alignment = 1, color = { r = 30, g = 30, b = 42, a = 255 },
                                      size = { width = 200, height = 30 },
                                      text = "上キーで鍛錬" } } },  -- "Up: training"
  },
}
