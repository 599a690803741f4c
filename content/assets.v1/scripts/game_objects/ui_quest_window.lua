-- One quest's details: banner (or its name when it has none), new/clear icon, level,
-- explanation, a row per listed reward with the cursor on the shown one, and that reward's text.
ui_quest_window = {
  object_name = "クエスト詳細",   -- "Quest details"
  object_tag = "quest_window",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 80, y = 0, z = 2.4 } },
    UIQuestWindow = {
      label_title = "label_title",
      label_level = "label_level",
      sprite_title = "sprite_title",
      sprite_new = "sprite_new",
      sprite_reward_cursor = "sprite_reward_cursor",
      label_info = "label_info",
      label_reward_info = "label_reward_info",
      table_progress = "table_progress",
    },
  },
  children = {
    { base_script = "ui_part", object_tag = "label_reward_info",
      components = {
        Transform = { position = { x = 80, y = -80, z = 2.2 } },
        FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 0, size = { width = 300, height = 60 } },
      } },
    { base_script = "ui_part", object_tag = "sprite_reward_cursor",
      components = {
        Transform = { position = { x = -160, y = -40, z = 2.2 } },
        SpriteRenderer = { renderingCamera = "UICamera" },
        TextureAtlas = { atlasName = "ui_reward_cursor" },
      } },
    { base_script = "ui_quest_reward_rows" },
    { base_script = "ui_part", object_tag = "label_info",
      components = {
        Transform = { position = { x = 0, y = 50, z = 2.2 } },
        FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 1, size = { width = 420, height = 40 } },
      } },
    { base_script = "ui_part", object_tag = "label_level",
      components = {
        Transform = { position = { x = -170, y = 130, z = 2.2 } },
        FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 1, size = { width = 80, height = 28 } },
      } },
    { base_script = "ui_part", object_tag = "sprite_new",
      components = {
        Transform = { position = { x = 170, y = 130, z = 2.4 } },
        SpriteRenderer = { renderingCamera = "UICamera" },
        TextureAtlas = { atlasName = "quest_select/new_icon" },
      } },
    { base_script = "ui_part", object_tag = "label_title",
      components = {
        Transform = { position = { x = 0, y = 130, z = 2.2 } },
        FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 1, size = { width = 240, height = 40 } },
      } },
    { base_script = "ui_part", object_tag = "sprite_title",
      components = {
        Transform = { position = { x = 0, y = 130, z = 2.4 } },
        SpriteRenderer = { renderingCamera = "UICamera" },
        TextureAtlas = { atlasName = "quest_name_meadow" },
      } },
  },
}
