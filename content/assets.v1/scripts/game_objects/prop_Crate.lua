-- A wooden crate that falls and rests on the stage's bottom.
prop_Crate = {
  object_name = "木箱",          -- "Crate"
  object_tag = "Crate",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    Kinematics = { mass = 2 },
    Box2DCollider = { size = { width = 48, height = 40 } },
  },
}
