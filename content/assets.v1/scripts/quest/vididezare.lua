-- The home base: where the quest-select screen opens. Not a quest the player picks.
vididezare = {
  questId = 0,
  questName = "拠点",                         -- "Home base"
  questNameImage = "quest_name_home",
  questMode = 0,
  questFlags = 0,
  questInitLevel = 1,
  explain = "次の依頼を選ぶ",                 -- "Choose the next request"
  stage = { name = "stage_Home", areaCount = 1 },
}
