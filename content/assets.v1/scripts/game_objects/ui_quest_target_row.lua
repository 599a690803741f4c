-- One quest target on the HUD: the target's icon (its atlas entry is the target's key) and
-- its count.
ui_quest_target_row = {
  object_name = "討伐目標",      -- "Target"
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = { Transform = {} },
  children = {
    { base_script = "ui_hud_leaf", object_tag = "target_icon",
      components = {
        SpriteRenderer = { renderingCamera = "UICamera" },
        TextureAtlas = { atlasName = "icon_slime" },
      } },
    { base_script = "ui_hud_leaf", object_tag = "target_count",
      components = {
        Transform = { position = { x = 18, y = 0 } },
        FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 0, size = { width = 80, height = 24 },
                         text = "x  0" },
      } },
  },
}
