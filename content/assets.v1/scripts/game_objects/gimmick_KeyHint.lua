-- The key hint over a spot the player opens with a key: hidden until the player stands before
-- the spot (its GimmickActivateObject shows it), dark letters that read on the home's sky.
-- Each spot names its own text.
gimmick_KeyHint = {
  object_name = "操作のヒント",  -- "Key hint"
  object_tag = "key_hint",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 26 } },
    FontRenderer = {
      font = 0,
      alignment = 1,
      color = { r = 30, g = 30, b = 42, a = 255 },
      size = { width = 200, height = 30 },
      text = "上キーで調べる",  -- "Up: examine"
    },
  },
}
