-- The stage tabs in a row, meadow first (cells follow the built order: the last listed child
-- comes first). The screen chains the usable ones at every opening and hides the others. A
-- label's text hangs from its top: half a line (14) up centres it on its plate.
ui_quest_tabs = {
  object_name = "ステージタブ",   -- "Stage tabs"
  object_tag = "tab_table",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = -300, y = 180, z = 2.4 } },
    UITable = { direction = 1, alignment = 0, padding = { x = 110, y = 0 }, on_start = true },
  },
  children = {
    { base_script = "ui_quest_tab", object_name = "洞窟", object_tag = "tab_cave", -- "Cave"
      components = { UIStageTab = { stage_names = { "stage_Cave" } } },
      children = { { base_script = "ui_part", components = {
        Transform = { position = { x = 0, y = 14, z = 2.2 } },
        FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 1, size = { width = 96, height = 28 },
                         text = "洞窟" } } } } }, -- "Cave"
    { base_script = "ui_quest_tab", object_name = "草原", object_tag = "tab_meadow", -- "Meadow"
      components = { UIStageTab = { stage_names = { "stage_Meadow" } } },
      children = { { base_script = "ui_part", components = {
        Transform = { position = { x = 0, y = 14, z = 2.2 } },
        FontRenderer = { renderingCamera = "UICamera", font = 0, alignment = 1, size = { width = 96, height = 28 },
                         text = "草原" } } } } }, -- "Meadow"
  },
}
