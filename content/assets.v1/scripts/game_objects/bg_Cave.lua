-- The cave wall behind the cave stage: twice the screen's height, it scrolls both ways, at half
-- the game camera's speed sideways and over its extra height as the camera climbs the stage.
bg_Cave = {
  object_name = "洞窟の壁",      -- "Cave wall"
  object_tag = "Backdrop",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 480, y = 270, z = 90 } },
    SpriteRenderer = { addressU = 1 },
    TextureAtlas = { atlasInfo = { texture = "bg_cave" } },
    BackgroundLayer = { layer = 1, scroll = 2 },
  },
}
