-- A hint board: its note shows while the player stands before it and goes when they leave.
gimmick_HintBoard = {
  object_name = "ヒントの看板",  -- "Hint board"
  object_layer = LAYER_GIMMICK,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 150, y = 30, z = 28 } },
    SpriteRenderer = {},
    TextureAtlas = { atlasName = "land_signpost" },
    Box2DCollider = { size = { width = 60, height = 80 }, cullingMask = LAYER_PLAYER },
    GimmickActivateObject = { target = "hint_note", target_offset = { x = 0, y = 70 }, only_overlap = true,
                              layer_mask = LAYER_PLAYER },
  },
  children = {
    {
      object_name = "ヒント",      -- "Hint"
      object_tag = "hint_note",
      object_layer = LAYER_STAGE,
      object_activity = ACTIVE,
      components = {
        Transform = { position = { z = -2 } },
        FontRenderer = {
          font = 0,
          alignment = 1,
          size = { width = 220, height = 60 },
          text = "上で話す・調べる\n依頼は出発点で",  -- "Up: talk, examine / Quests at the start"
        },
      },
    },
  },
}
