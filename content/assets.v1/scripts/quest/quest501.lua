-- The second quest, offered once the meadow is cleared (flag bit 0): a boss in the cave.
-- Its key, "quest501", is the one the ending's skip rule reads.
quest501 = {
  questId = 2,
  questName = "洞窟の主",                     -- "Master of the cave"
  questNameImage = "quest_name_cave",
  questMode = 2,
  questFlags = 1,                             -- bits: 0x1 (meadow cleared)
  questInitLevel = 3,
  explain = "洞窟の奥の主を倒そう",           -- "Defeat the master deep in the cave"
  startUpMessage = {
    { "暗いね……" },                           -- "It's dark..."
    { "足元に気をつけて" },                   -- "Watch your step"
  },
  enemyList = {
    mobs = { { name = "enemy_Bat", rate = 60 }, { name = "enemy_Slime", rate = 40 } },
    stranger = { name = "stranger_Ilvane", rate = 20, time = { 30, 60 } },
    boss = {
      name = "boss_CaveGolem",
      position = { x = 800, y = 200 },
      nextStage = "stage_Ending",
      fadeColor = { r = 0, g = 0, b = 0, a = 255 },
      follower = { { name = "enemy_Bat", position = { x = 600, y = 400 }, respawn = 8 } },
    },
  },
  stage = { name = "stage_Cave", areaCount = 2 },
  rewards = {
    { rewardType = 1, rewardValue = 1, rewardText = "称号：洞窟探検家",    -- "Title: cave explorer"
      rewardInfo = {
        { name = "称号：洞窟探検家", suggestion = "クリアでもらえる" },     -- "Title: cave explorer", "Given on a clear"
        { name = "称号：洞窟探検家", suggestion = "入手済み" },             -- "Title: cave explorer", "Already obtained"
      } },
    {
      rewardType = 3, rewardValue = Script.hash("accessory_Ring"),
      rewardText = "守りの指輪を手に入れた",                                -- "Got the Ring of Guarding"
      -- Cleared at least once before (value kind 31: clear count of this quest, compare 5: >=).
      condition = { { { compare = 5, target = 31, type = Script.hash("quest501"), value = 1 } } },
      rewardInfo = {
        { name = "守りの指輪", suggestion = "もう一度クリアしよう" },       -- "Ring of Guarding", "Clear it once more"
        { name = "守りの指輪", suggestion = "入手済み" },                   -- "Ring of Guarding", "Already obtained"
      },
    },
  },
}
