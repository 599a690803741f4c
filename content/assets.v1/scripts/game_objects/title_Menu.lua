-- The title menu: three buttons, top to bottom, and a cursor on the first.
title_Menu = {
  object_name = "タイトルメニュー", -- "Title menu"
  object_tag = "TitleMenu",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 480, y = 360 } },
  },
  -- Built last entry first, so the finished children read top to bottom.
  children = {
    {
      base_script = "title_Button", object_name = "おわる",     -- "Quit"
      object_tag = "select_exit",
      components = { Transform = { position = { x = 0, y = 96 } } },
    },
    {
      base_script = "title_Button", object_name = "つづきから", -- "Continue"
      object_tag = "select_continue",
      components = { Transform = { position = { x = 0, y = 48 } } },
    },
    {
      base_script = "title_Button", object_name = "はじめから", -- "New game"
      object_tag = "select_start",
      children = { { base_script = "title_Cursor" } },
    },
  },
}
