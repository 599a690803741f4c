-- What every terrain segment is made from: the terrain factory gives each its layer and its
-- own SegmentCollider.
terrain_template = {
  object_name = "地形",          -- "Terrain"
  object_tag = "Terrain",
  object_layer = TERRAIN_LAYER,
  object_activity = ACTIVE,
  components = {
    Transform = {},
  },
}
