-- By the house door: pressing up asks whether to save.
-- Its lectern is drawn and, while the player stands before it, the key that opens it; both in
-- front of the house (depth 24), which would hide them.
gimmick_SavePoint = {
  object_name = "記録の場所",    -- "Save spot"
  object_layer = LAYER_GIMMICK,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 470, y = 50, z = 22 } },
    SpriteRenderer = {},
    TextureAtlas = { atlasName = "gimmick_save_point" },
    Box2DCollider = { size = { width = 60, height = 100 }, cullingMask = LAYER_PLAYER },
    GimmickOpenMenu = { open_menu_name = "ui_save_yes_no", open_pad = PAD_UP },
    GimmickActivateObject = { target = "key_hint", target_offset = { x = 0, y = 70 }, only_overlap = true,
                              layer_mask = LAYER_PLAYER },
  },
  children = {
    { base_script = "gimmick_KeyHint",
      components = { Transform = { position = { z = 21.5 } },
                     FontRenderer = { font = 0, alignment = 1, color = { r = 30, g = 30, b = 42, a = 255 },
                                      size = { width = 200, height = 30 },
                                      text = "上キーでセーブ" } } },  -- "Up: save"
  },
}
