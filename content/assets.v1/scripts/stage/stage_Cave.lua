-- The cave of quest501: two areas, a ledge above the floor, and the boss's hall behind a door
-- that opens when the way is clear.
stage_Cave = {
  object_name = "洞窟",          -- "Cave"
  object_tag = "Stage",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    -- Places the player and both cameras once the stage starts: on the mouth's floor, under
    -- its rock shelf (a spot drawn at the stage's top could land on the shelf, above the
    -- master, with no way down).
    QuestController = { initPlayerPos = { x = 400, y = 120 } },
    -- Bats and slimes between the master's attacks, fewer than in the meadow.
    ObjectiveController = {
      relaxTimeMin = 6, relaxTimeMax = 8, sustainPeakTimeMin = 2, sustainPeakTimeMax = 3,
      buildUpSpawnFrequency = 1.0, sustainPeakSpawnFrequency = 1.5, relaxSpawnFrequency = 4,
      intensityMax = 20, enemyThreat = 10, noticeHuntCount = 5,
    },
    -- The quest's master and its follower; the master's fall ends the quest.
    BossBattleController = {},
    -- The whole cave is the master's lair: its battle theme plays from the mouth on (only the
    -- root's MusicPlayer plays, so the hall cannot switch tracks on its own).
    MusicPlayer = { name = "assets.v1/sounds/bgm/boss" },
    StageGenerator = {
      generateType = 1,
      areas = { "area_Cave_Mouth", "area_Cave_Hall" },
      blurColor = { r = 90, g = 80, b = 110, a = 255 },
    },
  },
  children = {
    { base_script = "ui_root_quest" },
    { base_script = "gimmick_ImmediateTalk" },
    {
      base_script = "prop_Door", object_name = "主の間の扉",   -- "Door of the master's hall"
      object_activity = INACTIVE,
      components = { Transform = { position = { x = 1900, y = 440 } } },
    },
    {
      base_script = "prop_Ground", object_name = "岩棚",       -- "Ledge"
      object_layer = LAYER_STAGE_CAMERA,
      components = { Transform = { position = { x = 1024, y = 320, z = 20 }, scaling = { x = 2, y = 1 } } },
    },
    { base_script = "bg_Cave" },
  },
}
