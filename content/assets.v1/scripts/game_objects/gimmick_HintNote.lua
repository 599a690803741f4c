-- The hint board's note, shown above it while the player stands before the board.
gimmick_HintNote = {
  object_name = "ヒント",        -- "Hint"
  object_tag = "hint_note",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 26 } },
    FontRenderer = {
      font = 0,
      alignment = 1,
      size = { width = 220, height = 60 },
      text = "上で話す・調べる\n依頼は出発点で",  -- "Up: talk, examine / Quests at the start"
    },
  },
}
