-- The Oskel event: each form under a group of its own, the controller above both.
event_Oskel = {
  object_name = "オスケルの試練",  -- "Oskel's trial"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = {}, OskelController = {} },
  children = {
    { base_script = "event_OskelGroup", children = { { base_script = "enemy_Oskel" } } },
    { base_script = "event_OskelGroup", object_name = "解放組",  -- "Liberated group"
      children = { { base_script = "enemy_LiberatedOskel" } } },
  },
}
