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
    StageGenerator = {
      generateType = 1,
      areas = { "area_Home_Yard" },
      blurColor = { r = 255, g = 214, b = 170, a = 255 },
    },
  },
  children = {
    { base_script = "prop_House" },
    { base_script = "prop_Counter" },
    { base_script = "prop_Backdrop", object_name = "夕焼け" }, -- "Sunset"
  },
}
