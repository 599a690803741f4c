-- The game's logo on the title screen.
title_Logo = {
  object_name = "ロゴ",          -- "Logo"
  object_tag = "TitleLogo",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 480, y = 160 }, scaling = { x = 2, y = 2 } },
  },
}
