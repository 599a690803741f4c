-- The signpost: a board on a post, standing where a landscape factory puts it, with two lines
-- of text centred on the board (88 x 64 over a post of 20: its middle is 42 above the ground).
gameobj_signpost = {
  object_name = "道標",          -- "Signpost"
  object_tag = "Signpost",
  object_layer = LAYER_STAGE + LAYER_GIMMICK,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 30 } },
    SpriteRenderer = {},
    TextureAtlas = { atlasName = "land_signboard" },
    -- Its name in the HUD's plate while the player touches it.
    Box2DCollider = { size = { width = 88, height = 84 }, cullingMask = LAYER_PLAYER },
    GimmickObjectName = { display_time = 3, is_collision_stay = true, layer_mask = LAYER_PLAYER },
  },
  children = {
    { base_script = "signpost_Text" },
  },
}
