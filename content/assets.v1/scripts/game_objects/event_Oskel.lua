-- The Oskel event: each form under a group of its own, the controller above both.
event_Oskel = {
  object_name = "オスケルの試練",  -- "Oskel's trial"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = {}, OskelController = {} },
  children = {
    { object_name = "オスケル組", object_layer = LAYER_STAGE, object_activity = ACTIVE,  -- "Oskel group"
      components = { Transform = {} }, children = { { base_script = "enemy_Oskel" } } },
    { object_name = "解放組", object_layer = LAYER_STAGE, object_activity = ACTIVE,  -- "Liberated group"
      components = { Transform = {} }, children = { { base_script = "enemy_LiberatedOskel" } } },
  },
}
