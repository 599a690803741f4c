-- A bare piece of the HUD one level further down (a prototype never sits inside itself).
ui_hud_leaf = {
  object_name = "HUD部品",       -- "HUD piece"
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = { Transform = {} },
}
