-- The emblem: fades in over a second (easing out) and drops 100 pixels in a quarter second.
ui_title_emblem = {
  object_name = "エンブレム",    -- "Emblem"
  object_tag = "TitleEmblem",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 480, y = 370, z = 3 } },
    SpriteRenderer = { renderingCamera = "UICamera" },
    TextureAtlas = { atlasName = "ui_title_emblem" },
    TweenPosition = { from = { x = 480, y = 370 }, to = { x = 480, y = 270 }, duration = 0.25, play = true },
    TweenAlpha = { from = 0, to = 1, method = 2, duration = 1, play = true },
  },
}
