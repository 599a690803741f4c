-- The in-game head-up display. It never takes the selection, so a dialog opened in play keeps
-- the pad. Gameplay writes into its widgets: the combo counter (top right), the name plate
-- (top centre), the life and special gauges (top left) and the quest targets (left).
ui_hud = {
  object_name = "HUD",
  object_tag = "ui_hud",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 2 } },
    UIFrameHud = {
      not_select = true,
      combo = "combo",
      object_name = "object_name",
      status_bar = "status_bar",
      quest_target = "quest_target",
    },
  },
  children = {
    -- The combo count: shakes on each hit, fades out two seconds after the last.
    { base_script = "ui_hud_piece", object_tag = "combo",
      components = {
        Transform = { position = { x = 860, y = 470 } },
        UIHudCombo = { sprite_number_combo = "sprite_number_combo", display_time = 2 },
        TweenShake = { length = { x = 6, y = 6 }, frequency = 4, duration = 0.25 },
        TweenAlpha = { from = 0, to = 1, duration = 0.2 },
      },
      children = {
        { base_script = "ui_hud_part", object_tag = "sprite_number_combo",
          components = {
            SpriteNumberRenderer = {
              renderingCamera = "UICamera", max_digit = 3, hidden_zero = true, alignment = 2,
              padding = { x = 18, y = 0 },
              sprite_names = { "ui_combo_0", "ui_combo_1", "ui_combo_2", "ui_combo_3", "ui_combo_4",
                               "ui_combo_5", "ui_combo_6", "ui_combo_7", "ui_combo_8", "ui_combo_9" },
            },
          } },
      } },
    -- The name plate: a bar sized to the name.
    { base_script = "ui_hud_piece", object_tag = "object_name",
      components = {
        Transform = { position = { x = 480, y = 500 } },
        UIHudObjectName = { label_object_name = "label_object_name", sliced_sprite_bar = "sliced_sprite_bar",
                            display_time = 2 },
        TweenAlpha = { from = 0, to = 1, duration = 0.2 },
      },
      children = {
        { base_script = "ui_hud_part", object_tag = "sliced_sprite_bar",
          components = {
            SlicedSpriteRenderer = { renderingCamera = "UICamera", size = { width = 32, height = 28 },
                                     border = { left = 8, right = 8, top = 8, bottom = 8 } },
            TextureAtlas = { atlasName = "ui_name_bar" },
          } },
        { base_script = "ui_hud_part", object_tag = "label_object_name",
          components = {
            -- Before its bar, which draws at the default depth 1 (the batch clips depths below 0.1).
            Transform = { position = { z = 0.5 } },
            FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 1, size = { width = 240, height = 24 } },
          } },
      } },
    -- Life: a flower that spins when life changes and shrinks as it drops, the number and a
    -- slider whose foreground covers the lost share; power: three special sliders.
    { base_script = "ui_hud_piece", object_tag = "status_bar",
      components = {
        Transform = { position = { x = 40, y = 500 } },
        UIHudStatusBar = {
          sprite_flower = "sprite_flower", sprite_number_life = "sprite_number_life",
          slider_life = "slider_life", slider_special01 = "slider_special01",
          slider_special02 = "slider_special02", slider_special03 = "slider_special03",
          special_red = { r = 242, g = 73, b = 73, a = 255 },
          helth_per_force = 100,
        },
      },
      children = {
        { base_script = "ui_hud_part", object_tag = "sprite_flower",
          components = {
            SpriteRenderer = { renderingCamera = "UICamera" },
            TextureAtlas = { atlasName = "ui_hud_flower" },
            UIWheel = { friction = 0.95, base_rps = 0.1, force = 0, limit_force = 3 },
          } },
        { base_script = "ui_hud_part", object_tag = "sprite_number_life",
          components = {
            Transform = { position = { x = 190, y = 14 } },
            SpriteNumberRenderer = {
              renderingCamera = "UICamera", max_digit = 4, hidden_zero = true, alignment = 2,
              padding = { x = 14, y = 0 },
              sprite_names = { "ui_life_0", "ui_life_1", "ui_life_2", "ui_life_3", "ui_life_4",
                               "ui_life_5", "ui_life_6", "ui_life_7", "ui_life_8", "ui_life_9" },
            },
          } },
        { base_script = "ui_hud_part", object_tag = "slider_life",
          components = {
            Transform = { position = { x = 32, y = 0 } },
            SpriteRenderer = { renderingCamera = "UICamera", size = { width = 160, height = 12 } },
            TextureAtlas = { atlasName = "ui_hud_life_fill" },
            UISlider = { foreground = "slider_life_lost", direciton = 0, size = { width = 160, height = 12 } },
          },
          children = {
            { base_script = "ui_hud_leaf", object_tag = "slider_life_lost",
              components = {
                -- Behind the life fill, which draws at the default depth 1 (the sprite batch clips
                -- depths below 0.1, where this part was set before and never seen).
                Transform = { position = { z = 1.5 } },
                SpriteRenderer = { renderingCamera = "UICamera", size = { width = 160, height = 12 } },
                TextureAtlas = { atlasName = "ui_hud_gauge_back" },
              } },
          } },
        { base_script = "ui_hud_special_slider", object_tag = "slider_special01",
          components = { Transform = { position = { x = 32, y = -18 } } } },
        { base_script = "ui_hud_special_slider", object_tag = "slider_special02",
          components = { Transform = { position = { x = 88, y = -18 } } } },
        { base_script = "ui_hud_special_slider", object_tag = "slider_special03",
          components = { Transform = { position = { x = 144, y = -18 } } } },
      } },
    -- The quest's targets, a row each, added as the quest names them.
    { base_script = "ui_hud_piece", object_tag = "quest_target",
      components = {
        Transform = { position = { x = 40, y = 440 } },
        UITable = { direction = 1, alignment = 0, padding = { x = 0, y = -28 } },
        UIHudQuestTarget = { limit_max = 99, quest_target_script_name = "ui_quest_target_row" },
      } },
  },
}
