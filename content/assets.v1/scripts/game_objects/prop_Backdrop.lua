-- A far backdrop, drawn behind everything through the screen camera, so it stays put while the
-- stage scrolls: the sky image stretched over the whole screen.
prop_Backdrop = {
  object_name = "背景",          -- "Backdrop"
  object_tag = "Backdrop",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 480, y = 270, z = 90 }, scaling = { x = 3.75, y = 2.109375 } },
    SpriteRenderer = { renderingCamera = "UICamera" },
    TextureAtlas = { atlasInfo = { texture = "bg_sky" } },
  },
}
