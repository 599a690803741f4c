-- A bare piece of the HUD and the talk window: each use gives it its tag and components.
ui_hud_piece = {
  object_name = "HUD部品",       -- "HUD piece"
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = { Transform = {} },
}
