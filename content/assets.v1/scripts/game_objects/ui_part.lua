-- A bare piece of a screen: the screens give each one its tag, place and components where they
-- use it, so small labels and icons need no file of their own.
ui_part = {
  object_name = "UI部品",         -- "UI piece"
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = { Transform = {} },
}
