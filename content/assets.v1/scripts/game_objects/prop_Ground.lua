-- One block of ground the player stands on; stages place and stretch their own.
prop_Ground = {
  object_name = "地面",          -- "Ground"
  object_tag = "Terrain",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 0, y = 500 }, scaling = { x = 4, y = 1 } },
  },
}
