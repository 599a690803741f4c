-- One form's group in the Oskel event: the event hides and shows the form with its group.
event_OskelGroup = {
  object_name = "オスケル組",    -- "Oskel group"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = {} },
}
