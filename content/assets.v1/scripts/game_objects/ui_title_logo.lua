-- The title emblem's panel: opened by tag, it leaves the menu its selection. The emblem fades
-- in while it drops into place, a sparkle plays beside it, a wheel spins down and a tip icon
-- shows one of its pictures.
ui_title_logo = {
  object_name = "タイトルエンブレム", -- "Title emblem panel"
  object_tag = "ui_title_logo",
  object_layer = LAYER_MENU,
  object_activity = INACTIVE,
  components = {
    Transform = {},
    UIFrame = { not_select = true },
  },
  children = {
    { base_script = "ui_title_tip" },
    { base_script = "ui_title_wheel" },
    { base_script = "ui_title_sparkle" },
    { base_script = "ui_title_emblem" },
  },
}
