-- One button of the title menu; the menu gives each its text, tag and place.
title_Button = {
  object_name = "ボタン",        -- "Button"
  object_tag = "Button",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 0, y = 0 } },
  },
}
