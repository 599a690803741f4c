-- A four-digit counter in the screen's top right corner, drawn with the digit sprites.
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
      sprite_names = { "ui_digit_0", "ui_digit_1", "ui_digit_2", "ui_digit_3", "ui_digit_4",
                       "ui_digit_5", "ui_digit_6", "ui_digit_7", "ui_digit_8", "ui_digit_9" },
    },
  },
}
