-- A signpost in the yard: a board on a post, and two lines of text centred on the board.
gameobj_signpost = {
  object_name = "立て札",        -- "Signpost"
  object_tag = "Signpost",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 12 } },
    SpriteRenderer = {},
    TextureAtlas = { atlasName = "ui_button" },
  },
  children = {
    { base_script = "signpost_Text" },
  },
}
