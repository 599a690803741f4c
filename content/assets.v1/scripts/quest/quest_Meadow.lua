-- The first quest: clear the meadow of slimes.
quest_Meadow = {
  questId = 1,
  questName = "草原の掃除",                     -- "Sweeping the meadow"
  questNameImage = "quest_name_meadow",
  questMode = 1,
  questFlags = 0,
  questInitLevel = 1,
  explain = "草原のスライムを三匹倒そう",       -- "Defeat three slimes in the meadow"
  startUpMessage = {
    { "さあ、行こう！", "スライムは弱いよ" },   -- "Come on, let's go!", "Slimes are weak"
  },
  clearImpression = {
    { "おつかれさま！" },                       -- "Well done!"
  },
  enemyList = {
    mobs = { { name = "enemy_Slime", rate = 100 } },
    objectives = { { name = "enemy_BigSlime", time = { 5, 10 }, icon = "icon_slime", count = 3 } },
  },
  stage = { name = "stage_Meadow", areaCount = 3 },
  rewards = {
    { rewardType = 2, rewardValue = 1, rewardText = "洞窟への道が開いた",   -- "The way to the cave opened"
      rewardInfo = {
        { name = "洞窟への道", suggestion = "クリアで開く" },               -- "The way to the cave", "Opens on a clear"
        { name = "洞窟への道", suggestion = "開通済み" },                   -- "The way to the cave", "Already open"
      } },
    { rewardType = 4, rewardValue = 100, rewardText = "経験値 100" },        -- "100 experience"
    {
      rewardType = 3, rewardValue = Script.hash("accessory_Feather"),
      rewardText = "風の羽根を手に入れた",                                  -- "Got the Wind Feather"
      -- Cleared within five minutes (value kind 1: play time in seconds, compare 1: less).
      condition = { { { compare = 1, target = 1, value = 300 } } },
      rewardInfo = {
        { name = "風の羽根", suggestion = "五分以内にクリアしよう" },       -- "Wind Feather", "Clear within five minutes"
        { name = "風の羽根", suggestion = "入手済み" },                     -- "Wind Feather", "Already obtained"
      },
    },
  },
}
