-- The player's afterimage: copies of the figure every 0.04 s while a dash, step or slash has it
-- on, each fading out over 0.24 s, in the stage's blur colour.
gameobj_player_trail = {
  object_name = "残像",          -- "Afterimage"
  object_layer = LAYER_PLAYER,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    SpriteBlurRenderer = { maxBlurs = 6, baseAlpha = 160, intervalTime = 0.04, blendMode = 1, useStageColor = true },
  },
}
