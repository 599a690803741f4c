-- A fixed post: a box with no body, so nothing pushes it and it pushes nothing.
prop_Post = {
  object_name = "杭",            -- "Post"
  object_tag = "Post",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    Box2DCollider = { size = { width = 12, height = 120 } },
  },
}
