-- The signpost: a board on a post, standing where a landscape factory puts it, with two lines
-- of text centred on the board.
gameobj_signpost = {
  object_name = "道標",          -- "Signpost"
  object_tag = "Signpost",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 30 } },
    SpriteRenderer = {},
    TextureAtlas = { atlasName = "land_signpost" },
  },
  children = {
    { base_script = "signpost_Text" },
  },
}
