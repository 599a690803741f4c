-- A wheel behind the emblem: it starts spinning fast when the panel opens and slows to a stop.
ui_title_wheel = {
  object_name = "回転エンブレム", -- "Spinning emblem"
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 640, y = 270, z = 3.5 } },
    SpriteRenderer = { renderingCamera = "UICamera" },
    TextureAtlas = { atlasName = "ui_title_wheel" },
    UIWheel = { friction = 0.98, base_rps = 2, force = 1 },
  },
}
