accessory_F = {
  accessoryId = 2,
  name = "守りの指輪",
  explain = "体力と防御力が上がる",
  ability = {
    { target = 0, pointType = 0, point = 50 },
    { target = 3, pointType = 1, point = 10 },
  },
}
