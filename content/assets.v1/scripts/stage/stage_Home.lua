-- The home base, where quests are chosen: the house on a strip of ground.
stage_Home = {
  object_name = "拠点",          -- "Home base"
  object_tag = "Stage",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    StageGenerator = {
      generateType = 1,
      areas = { "area_Home_Yard" },
      blurColor = { r = 255, g = 214, b = 170, a = 255 },
    },
  },
  children = {
    { base_script = "prop_House" },
    {
      base_script = "prop_Ground", object_name = "庭",         -- "Yard"
      components = { Transform = { position = { x = 480, y = 500 }, scaling = { x = 8, y = 1 } } },
    },
    { base_script = "prop_Backdrop", object_name = "夕焼け" }, -- "Sunset"
    { base_script = "ui_camera" },
    { base_script = "camera" },
  },
}
