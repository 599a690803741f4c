-- A light charm: faster power recharge.
accessory_Feather = {
  accessoryId = 1,
  name = "風の羽根",                      -- "Wind Feather"
  explain = "必殺技ゲージの回復が早くなる", -- "The special gauge refills faster"
  ability = {
    { target = 5, pointType = 1, point = 20 },
  },
}
