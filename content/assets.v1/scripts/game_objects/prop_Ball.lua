-- A ball that will not sink into other bodies: it is pushed off what it lands on.
prop_Ball = {
  object_name = "まり",          -- "Ball"
  object_tag = "Ball",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    Kinematics = { nonPenetrationConstraint = true },
    CircleCollider = { radius = 16 },
  },
}
