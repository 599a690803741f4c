-- The home base, where quests are chosen: the house beside the yard.
stage_Home = {
  object_name = "拠点",          -- "Home base"
  object_tag = "Stage",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    -- Places the player and both cameras once the stage starts.
    QuestController = {},
    -- The music of the home base and the meadow: the same track, so it plays on between them.
    MusicPlayer = { name = "assets.v1/sounds/bgm/stage" },
    StageGenerator = {
      generateType = 1,
      areas = { "area_Home_Yard" },
      blurColor = { r = 255, g = 214, b = 170, a = 255 },
    },
  },
  children = {
    { base_script = "ui_root_home" },
    { base_script = "prop_House" },
    { base_script = "prop_Counter" },
    -- Gimmicks: the quest select where the player appears, saving by the door, the companion
    -- and a hint board.
    { base_script = "gimmick_QuestBoard" },
    { base_script = "gimmick_SavePoint" },
    { base_script = "gimmick_UpgradeStand" },
    { base_script = "npc_Lisvet" },
    { base_script = "gimmick_HintBoard" },
    { base_script = "bg_Sky" },
  },
}
