-- A high blow: a launcher; the player may act in the air again, aimed at the enemy layer; the player holds it while the move lasts.
gameobj_player_hit_blow_high = {
  object_name = "上段",  -- "High blow"
  object_tag = "PlayerHit",
  object_layer = LAYER_PLAYER,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    Box2DCollider = { center = { x = 22, y = 18 }, size = { width = 36, height = 36 }, cullingMask = LAYER_ENEMY },
    CollisionAnimation = { default = { "player_hit_box_blow" } },
    MeleeHitController = { followPosition = true, followDirection = true, swingSE = "assets.v1/sounds/se/swing" },
    AttemptDamageController = {
      targetLayer = LAYER_ENEMY,
      damageParamType = 2, damageScale = 1.3, criticalRate = 5,
      knockback = { velocity = { x = 120, y = 620 }, angularVel = 360, boundCount = 0, blow = true },
      resetAirActCount = true,
      hitEffects = {
        { name = "gameobj_effect_hit_spark", posType = 1, angle = 0, se = "assets.v1/sounds/se/hit" },
      },
    },
  },
}
