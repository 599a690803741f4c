-- A low blow: a sweep along the ground, aimed at the enemy layer; the player holds it while the move lasts.
gameobj_player_hit_blow_low = {
  object_name = "下段",  -- "Low blow"
  object_tag = "PlayerHit",
  object_layer = LAYER_PLAYER,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    Box2DCollider = { center = { x = 26, y = -16 }, size = { width = 44, height = 20 }, cullingMask = LAYER_ENEMY },
    CollisionAnimation = { default = { "player_hit_box_blow" } },
    MeleeHitController = { followPosition = true, followDirection = true, swingSE = "assets.v1/sounds/se/swing" },
    AttemptDamageController = {
      targetLayer = LAYER_ENEMY,
      damageParamType = 2, damageScale = 1.3, criticalRate = 5,
      knockback = { velocity = { x = 260, y = 120 }, angularVel = 180, boundCount = 1, blow = true },
      hitEffects = {
        { name = "gameobj_effect_hit_spark", posType = 1, angle = 0, se = "assets.v1/sounds/se/hit" },
      },
    },
  },
}
