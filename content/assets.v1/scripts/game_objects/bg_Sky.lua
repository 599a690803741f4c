-- The sky behind a stage: a screen-wide image that wraps sideways and drifts at a quarter of
-- the game camera's speed. It stays in front of the camera, so it must come after the camera
-- in the stage's passes (before it in a "children" list). Layer 1 keeps it on the camera's
-- height too: a quest places the player high, and the camera above the stage's first screen
-- would otherwise see black over the sky until it came down.
bg_Sky = {
  object_name = "空",            -- "Sky"
  object_tag = "Backdrop",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 480, y = 270, z = 90 } },
    SpriteRenderer = { addressU = 1 },
    TextureAtlas = { atlasInfo = { texture = "bg_sky_wide" } },
    BackgroundLayer = { layer = 1, scroll = 4 },
  },
}
