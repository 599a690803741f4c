-- The pointer beside the selected button.
title_Cursor = {
  object_name = "カーソル",      -- "Cursor"
  object_tag = "Cursor",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = -120, y = 0 } },
  },
}
