-- Depths are the objects' own (smaller is nearer): plate 1.4, buttons 1.2, texts 1.
-- The yes/no window: a sliced plate with the question above two buttons, yes on the left. The
-- dialog moves this object when its opener asks for another place, and puts it back on closing.
ui_yes_no_window = {
  object_name = "確認ウィンドウ", -- "Confirmation window"
  object_tag = "window_root",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 0, y = 0, z = 1.4 } },
    SlicedSpriteRenderer = {
      renderingCamera = "UICamera",
      size = { width = 360, height = 150 },
      border = { left = 8, right = 8, top = 8, bottom = 8 },
    },
    TextureAtlas = { atlasName = "ui_dialog_window" },
  },
  children = {
    { base_script = "ui_yes_no_button_no" },
    { base_script = "ui_yes_no_button_yes" },
    { base_script = "ui_part", object_name = "質問", object_tag = "label_info", -- "Question"
      components = {
        Transform = { position = { x = 0, y = 25, z = 1 } },
        FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 1, size = { width = 320, height = 40 } },
      } },
  },
}
