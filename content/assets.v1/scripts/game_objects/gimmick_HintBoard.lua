-- A hint board: its note shows while the player stands before it and goes when they leave. It
-- stands apart from the yard's crates, ball and post, which would hide it.
gimmick_HintBoard = {
  object_name = "ヒントの看板",  -- "Hint board"
  object_layer = LAYER_GIMMICK,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 215, y = 30, z = 28 } },
    SpriteRenderer = {},
    TextureAtlas = { atlasName = "land_signpost" },
    Box2DCollider = { size = { width = 60, height = 80 }, cullingMask = LAYER_PLAYER },
    GimmickActivateObject = { target = "hint_note", target_offset = { x = 0, y = 70 }, only_overlap = true,
                              layer_mask = LAYER_PLAYER },
  },
  children = { { base_script = "gimmick_HintNote" } },
}
