-- The meadow of the first quest: three areas of flat ground under the sky.
stage_Meadow = {
  object_name = "草原",          -- "Meadow"
  object_tag = "Stage",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    -- Places the player and both cameras once the stage starts.
    QuestController = {},
    -- Waves paced for the first quest, whose goal is three targets: brief relaxes and peaks,
    -- and a ceiling of two slimes (2 x 12) that the peak holds without adding more, so that with
    -- the one a relax may send no more than three are about at once.
    ObjectiveController = {
      relaxTimeMin = 4, relaxTimeMax = 6, sustainPeakTimeMin = 2, sustainPeakTimeMax = 3,
      buildUpSpawnFrequency = 0.8, sustainPeakSpawnFrequency = 0, relaxSpawnFrequency = 3,
      intensityMax = 24, enemyThreat = 12, noticeHuntCount = 5,
    },
    -- The music of the home base and the meadow: the same track, so it plays on between them.
    MusicPlayer = { name = "assets.v1/sounds/bgm/stage" },
    -- The quest's "areaCount" areas, drawn: one or two at random, one or two never the same
    -- twice running, or two to three from a shuffle.
    StageGenerator = {
      generateType = 0,
      areas = { "area_Meadow_Field", "area_Meadow_Pond", "area_Meadow_Hill" },
      rules = { { 1, 2, 0 }, { 2, 1, 1 }, { 2, 3, 2 } },
      blurColor = { r = 170, g = 220, b = 255, a = 255 },
    },
  },
  children = {
    { base_script = "ui_root_quest" },
    { base_script = "gimmick_ImmediateTalk" },
    { base_script = "bg_Sky" },
  },
}
