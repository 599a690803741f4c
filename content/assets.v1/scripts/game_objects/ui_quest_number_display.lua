-- Where the shown quest stands in its tab's list: "n / total" between arrows that flash when
-- the list moves their way.
ui_quest_number_display = {
  object_name = "クエスト番号",   -- "Quest number"
  object_tag = "quest_number_display",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = -300, y = 40, z = 2.2 } },
    UIQuestNumberDisplay = {
      label_now_quest_count = "label_now_quest_count",
      label_total_quest_count = "label_total_quest_count",
      sprite_arrow_up = "sprite_arrow_up",
      sprite_arrow_down = "sprite_arrow_down",
    },
  },
  children = {
    { base_script = "ui_quest_arrow", object_tag = "sprite_arrow_down",
      components = { Transform = { position = { x = 0, y = -36, z = 2.4 } }, TextureAtlas = { atlasName = "ui_arrow_down" } } },
    { base_script = "ui_quest_arrow", object_tag = "sprite_arrow_up",
      components = { Transform = { position = { x = 0, y = 36, z = 2.4 } }, TextureAtlas = { atlasName = "ui_arrow_up" } } },
    { base_script = "ui_part", object_tag = "label_total_quest_count",
      components = {
        Transform = { position = { x = 30, y = 0, z = 2.2 } },
        FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 1, size = { width = 40, height = 28 } },
      } },
    { base_script = "ui_part",
      components = {
        Transform = { position = { x = 0, y = 0, z = 2.2 } },
        FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 1, size = { width = 20, height = 28 }, text = "/" },
      } },
    { base_script = "ui_part", object_tag = "label_now_quest_count",
      components = {
        Transform = { position = { x = -30, y = 0, z = 2.2 } },
        FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 1, size = { width = 40, height = 28 } },
      } },
  },
}
