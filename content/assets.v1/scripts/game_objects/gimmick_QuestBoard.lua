-- Where the player appears at home: pressing up here opens the quest select. Its collider
-- meets only the player's layer, since the gimmick's stay test has none of its own.
gimmick_QuestBoard = {
  object_name = "依頼の場所",    -- "Quest spot"
  object_layer = LAYER_GIMMICK,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 732, y = 120 } },
    Box2DCollider = { size = { width = 80, height = 100 }, cullingMask = LAYER_PLAYER },
    GimmickOpenMenu = { open_menu_name = "ui_quest_select", open_pad = PAD_UP },
  },
}
