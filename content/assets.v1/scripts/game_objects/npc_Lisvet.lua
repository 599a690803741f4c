-- The companion at home: pressing up beside her plays what she has to say (the lines a quest
-- left in her home channel, else one of her idle remarks) in her talk window.
npc_Lisvet = {
  object_name = "リズヴェット",  -- "Lisvet"
  object_layer = LAYER_GIMMICK,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 300, y = 60, z = 9 } },
    SpriteRenderer = {},
    SpriteAnimation = { stand_loop = { "companion_idle" } },
    Box2DCollider = { size = { width = 70, height = 110 }, cullingMask = LAYER_PLAYER },
    GimmickTalkMessage = {
      talk_window = "ui_lisvet_window",
      message_type = "HomeBaseLisvet",
      open_pad = PAD_UP,
      random_texts = {
        "今日はどこへ行く？",          -- "Where are we going today?"
        "準備はできてる？",            -- "Are you ready?"
        "看板にヒントが書いてあるよ",  -- "The board has a hint on it"
      },
    },
  },
}
