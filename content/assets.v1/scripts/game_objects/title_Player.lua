-- The player's figure standing on the title screen.
title_Player = {
  object_name = "主人公",        -- "Heroine"
  object_tag = "TitlePlayer",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 150, y = 100, z = 2 } },
    SpriteRenderer = {},
    SpriteAnimation = { stand_loop = { "player_idle" } },
  },
}
