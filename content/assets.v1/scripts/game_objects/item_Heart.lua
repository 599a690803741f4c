-- A heart: heals a third of the taker's hit points at once.
item_Heart = {
  object_name = "ハート",  -- "Heart"
  object_tag = "Item",
  object_layer = LAYER_ENEMY,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 7 } },
    Kinematics = { maxSpeed = 800 },
    SpriteRenderer = {},
    SpriteAnimation = { stand_loop = { "item_heart_idle" } },
    CircleCollider = { radius = 12, cullingMask = TERRAIN_LAYER + LAYER_PLAYER },
    ItemController = { effect = 0, healType = 1, value = 0.33, layerMask = LAYER_PLAYER, takeMessage = "take_heart",
      takeSe = "assets.v1/sounds/se/pickup" },
  },
}
