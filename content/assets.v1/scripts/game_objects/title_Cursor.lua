-- The pointer beside the selected button.
title_Cursor = {
  object_name = "矢印",          -- "Arrow" (the lexer would read the second byte of some
                                 -- Shift-JIS characters, such as the one of "so", as a backslash)
  object_tag = "Cursor",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = -120, y = 0 } },
  },
}
