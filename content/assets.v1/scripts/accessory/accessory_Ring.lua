-- A sturdy ring: more hit points and defense.
accessory_Ring = {
  accessoryId = 2,
  name = "守りの指輪",              -- "Ring of Guarding"
  explain = "体力と防御力が上がる", -- "Raises health and defense"
  ability = {
    { target = 0, pointType = 0, point = 50 },
    { target = 3, pointType = 1, point = 10 },
  },
}
