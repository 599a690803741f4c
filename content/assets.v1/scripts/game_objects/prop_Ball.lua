-- A ball that will not sink into other bodies: it is pushed off what it lands on.
prop_Ball = {
  object_name = "まり",          -- "Ball"
  object_tag = "Ball",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 10 } },
    Kinematics = { nonPenetrationConstraint = true },
    SpriteRenderer = {},
    TextureAtlas = { atlasName = "prop_ball" },
    CircleCollider = { radius = 16 },
  },
}
