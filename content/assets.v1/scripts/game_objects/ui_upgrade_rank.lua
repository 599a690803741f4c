-- The badge of the player's rank.
ui_upgrade_rank = {
  object_name = "称号",          -- "Rank"
  object_tag = "ui_upgrade_rank",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 280, y = 180, z = 2.4 } },
    SpriteRenderer = { renderingCamera = "UICamera" },
    TextureAtlas = { atlasName = "upgrade_parameter/honor_01" },
  },
}
