-- A second meadow quest, offered from the start: gather in the meadow among its slimes.
quest_MeadowFlowers = {
  questId = 3,
  questName = "草原の花摘み",                   -- "Picking flowers in the meadow"
  questNameImage = "quest_name_meadow_flowers",
  questMode = 1,
  questFlags = 0,
  questInitLevel = 2,
  explain = "草原の大きなスライムを五匹倒そう", -- "Defeat five big slimes in the meadow"
  startUpMessage = {
    { "花がきれいだね" },                       -- "The flowers are pretty"
  },
  clearImpression = {
    { "いい香り！" },                           -- "Smells nice!"
  },
  enemyList = {
    mobs = { { name = "enemy_Slime", rate = 100 } },
    objectives = { { name = "enemy_BigSlime", time = { 4, 8 }, icon = "icon_slime", count = 5 } },
  },
  stage = { name = "stage_Meadow", areaCount = 3 },
  rewards = {
    { rewardType = 1, rewardValue = 2, rewardText = "称号：花の友",         -- "Title: friend of flowers"
      rewardInfo = {
        { name = "称号：花の友", suggestion = "クリアでもらえる" },         -- "Title: friend of flowers", "Given on a clear"
        { name = "称号：花の友", suggestion = "入手済み" },                 -- "Title: friend of flowers", "Already obtained"
      } },
    { rewardType = 4, rewardValue = 150, rewardText = "経験値 150" },        -- "150 experience"
  },
}
