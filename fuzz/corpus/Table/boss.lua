quest_F = {
  questId = 2,
  questName = "洞窟の主",
  questNameImage = "quest_name_cave",
  questMode = 2,
  questFlags = 1,
  questInitLevel = 3,
  explain = "洞窟の奥の主を倒そう",
  startUpMessage = {
    { "暗いね……" },
    { "足元に気をつけて" },
  },
  enemyList = {
    mobs = { { name = "enemy_Bat", rate = 60 }, { name = "enemy_Slime", rate = 40 } },
    stranger = { name = "stranger_Ilvane", rate = 20, time = { 30, 60 } },
    boss = {
      name = "boss_CaveGolem",
      position = { x = 800, y = 200 },
      nextStage = "stage_Home",
      fadeColor = { r = 0, g = 0, b = 0, a = 255 },
      follower = { { name = "enemy_Bat", position = { x = 600, y = 400 }, respawn = 8 } },
    },
  },
  stage = { name = "stage_Cave", areaCount = 2 },
  rewards = {
    { rewardType = 1, rewardValue = 1, rewardText = "称号：洞窟探検家" },
    {
      rewardType = 3, rewardValue = Script.hash("accessory_Ring"),
      rewardText = "守りの指輪を手に入れた",
      condition = { { { compare = 5, target = 31, type = Script.hash("quest_F"), value = 1 } } },
      rewardInfo = {
        { name = "守りの指輪", suggestion = "もう一度クリアしよう" },
        { name = "守りの指輪", suggestion = "入手済み" },
      },
    },
  },
}
