-- A four-digit counter in the screen's top right corner, drawn with the HUD's life digits so that it
-- reads at the same size.
prop_Counter = {
  object_name = "カウンター",    -- "Counter"
  object_tag = "Counter",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 900, y = 500, z = 3 } },
    SpriteNumberRenderer = {
      renderingCamera = "UICamera",
      max_digit = 4,
      number = 907,
      alignment = 2,
      padding = { x = 14, y = 0 },
      sprite_names = { "ui_life_0", "ui_life_1", "ui_life_2", "ui_life_3", "ui_life_4",
                       "ui_life_5", "ui_life_6", "ui_life_7", "ui_life_8", "ui_life_9" },
    },
  },
}
