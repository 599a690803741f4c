-- The number over whoever took a hit: thrown up and sideways, it falls back, fades out after a
-- moment and is removed. Each damage type has its own colour of digits.
local function digits(prefix)
  local names = {}
  for d = 0, 9 do names[#names + 1] = prefix .. d end
  return names
end

gameobj_effect_damage_number = {
  object_name = "ダメージ数字",  -- "Damage number"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 2 } },
    SpriteNumberRenderer = { max_digit = 6, hidden_zero = true, alignment = 1, padding = { x = 15, y = 0 },
                             sprite_names = digits("dmg_enemy_") },
    UIDamageNumber = {
      velocity = { x = { -40, 40 }, y = 220 },
      gravity = -400,
      damage_number = {
        enemy_damage = { digits("dmg_enemy_"), 15 },
        player_damage = { digits("dmg_player_"), 15 },
        critical = { digits("dmg_critical_"), 17 },
        healing = { digits("dmg_heal_"), 15 },
      },
    },
    TweenAlpha = { from = 1, to = 0, delay = 0.6, duration = 0.3 },
    UIActivateTween = { disable_condition = 1, disable_when_remove_gameobj = true },
  },
}
