-- The parameter upgrade screen: six parameter rows that slide in, the accessory row below them,
-- the experience the pending levels cost against what the player has, and the rank badge. It
-- fades in when opened by tag and fades out before it switches off.
-- Depths are the objects' own (smaller is nearer): plate 3, row highlight 2.6, arrows, pieces
-- and badge 2.4, texts 2.2, all behind the yes/no dialog (1 to 1.4) that opens over the screen.
-- The default accessory's texts are held in the program; they are written here so the fonts
-- carry their characters: アクセサリなし ("No accessory"), 装備していません ("Nothing equipped").
ui_upgrade_parameter = {
  object_name = "パラメータ強化", -- "Parameter upgrade"
  object_tag = "ui_upgrade_parameter",
  object_layer = LAYER_MENU,
  object_activity = INACTIVE,
  components = {
    Transform = { position = { x = 480, y = 270, z = 3 } },
    SlicedSpriteRenderer = {
      renderingCamera = "UICamera",
      size = { width = 660, height = 440 },
      border = { left = 8, right = 8, top = 8, bottom = 8 },
    },
    TextureAtlas = { atlasName = "ui_frame" },
    UIFrameUpgradeParameter = {
      updatable = 1,
      select = "ui_upgrade_hp_max",
      table = "ui_upgrade_rows",
      accessory = "ui_upgrade_accessory",
      label_experience_cost = "ui_upgrade_cost",
      label_experience_total = "ui_upgrade_total",
      sprite_rank_badge = "ui_upgrade_rank",
      accept_upgrade_confirm_text = "この内容で強化しますか？", -- "Upgrade with these changes?"
      cancel_upgrade_confirm_text = "変更を破棄して閉じますか？", -- "Drop the changes and close?"
      sound_effect = {
        open_window = "assets.v1/sounds/se/decide",
        upgrade_accept = "assets.v1/sounds/se/pickup",
        no_experience = "assets.v1/sounds/se/cancel",
        open_confirm_window = "assets.v1/sounds/se/decide",
        select_confirm_window = "assets.v1/sounds/se/cursor",
        close_window = "assets.v1/sounds/se/cancel",
        force_close_window = "assets.v1/sounds/se/cancel",
        cancel_close_window = "assets.v1/sounds/se/cursor",
        level_up = "assets.v1/sounds/se/catch",
        level_down = "assets.v1/sounds/se/cursor",
      },
    },
    UIActivateTween = { disable_condition = -1 },
    TweenAlpha = { from = 0, to = 1, duration = 0.2 },
  },
  children = {
    { base_script = "ui_upgrade_rank" },
    { base_script = "ui_upgrade_total" },
    { base_script = "ui_upgrade_cost" },
    { base_script = "ui_upgrade_accessory" },
    { base_script = "ui_upgrade_rows" },
  },
}
