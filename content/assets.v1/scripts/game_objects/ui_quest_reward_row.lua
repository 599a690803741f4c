-- A reward row's icon; the quest window picks the picture.
ui_quest_reward_row = {
  object_name = "報酬",           -- "Reward"
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 0, y = 0, z = 2.4 } },
    SpriteRenderer = { renderingCamera = "UICamera" },
    TextureAtlas = { atlasName = "quest_select/reward_icon_black" },
  },
}
