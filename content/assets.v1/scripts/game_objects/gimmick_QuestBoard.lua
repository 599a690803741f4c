-- Where the player appears at home: pressing up here opens the quest select. Its collider
-- meets only the player's layer, since the gimmick's stay test has none of its own.
-- Its board is drawn and, while the player stands before it, the key that opens it.
gimmick_QuestBoard = {
  object_name = "依頼の場所",    -- "Quest spot"
  object_layer = LAYER_GIMMICK,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 732, y = 120, z = 28 } },
    SpriteRenderer = {},
    TextureAtlas = { atlasName = "gimmick_quest_board" },
    Box2DCollider = { size = { width = 80, height = 100 }, cullingMask = LAYER_PLAYER },
    GimmickOpenMenu = { open_menu_name = "ui_quest_select", open_pad = PAD_UP },
    GimmickActivateObject = { target = "key_hint", target_offset = { x = 0, y = 70 }, only_overlap = true,
                              layer_mask = LAYER_PLAYER },
  },
  children = {
    { base_script = "gimmick_KeyHint",
      components = { FontRenderer = { font = 0, alignment = 1, color = { r = 30, g = 30, b = 42, a = 255 },
                                      size = { width = 200, height = 30 },
                                      text = "上キーで依頼を選ぶ" } } },  -- "Up: choose a quest"
  },
}
