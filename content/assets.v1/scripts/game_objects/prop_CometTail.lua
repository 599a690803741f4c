-- The comet's tail: copies of the comet every 0.05 s, each fading out over 0.3 s, in the
-- stage's blur colour.
prop_CometTail = {
  object_name = "尾",            -- "Tail"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    SpriteBlurRenderer = { maxBlurs = 6, baseAlpha = 200, intervalTime = 0.05, blendMode = 1, useStageColor = true },
  },
}
