-- One quest target on the HUD: the target's icon (its atlas entry is the target's key) and
-- its count, on a dark plate so that the white count reads over any sky or cloud behind it.
ui_quest_target_row = {
  object_name = "討伐目標",      -- "Target"
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = { Transform = {} },
  children = {
    { base_script = "ui_hud_leaf", object_name = "討伐目標の台", -- "Target plate"
      components = {
        Transform = { position = { x = 40, y = 0, z = 1.5 } },
        SlicedSpriteRenderer = { renderingCamera = "UICamera", size = { width = 124, height = 36 },
                                 border = { left = 8, right = 8, top = 8, bottom = 8 } },
        TextureAtlas = { atlasName = "ui_name_bar" },
      } },
    { base_script = "ui_hud_leaf", object_tag = "target_icon",
      components = {
        SpriteRenderer = { renderingCamera = "UICamera" },
        TextureAtlas = { atlasName = "icon_slime" },
      } },
    { base_script = "ui_hud_leaf", object_tag = "target_count",
      components = {
        -- The text hangs from its top: half a line up centres it on the icon's line.
        Transform = { position = { x = 18, y = 12 } },
        FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 0, size = { width = 80, height = 24 },
                         text = "x  0" },
      } },
  },
}
