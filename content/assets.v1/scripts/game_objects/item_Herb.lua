-- A herb: heals 2 hit points every half second for 5 seconds.
item_Herb = {
  object_name = "薬草",  -- "Herb"
  object_tag = "Item",
  object_layer = LAYER_ENEMY,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 7 } },
    Kinematics = { maxSpeed = 800 },
    SpriteRenderer = { color = { r = 76, g = 175, b = 80, a = 255 } },  -- tints the crystal green
    SpriteAnimation = { stand_loop = { "item_herb_idle" } },
    CircleCollider = { radius = 12, cullingMask = TERRAIN_LAYER + LAYER_PLAYER },
    ItemController = {
      effect = 1, healType = 0, duration = 5, interval = 0.5, value = 2,
      layerMask = LAYER_PLAYER, takeMessage = "take_herb", takeSe = "assets.v1/sounds/se/pickup",
    },
  },
}
