-- The chain's third step, aimed at the enemy layer; the player holds it while the move lasts.
gameobj_player_hit_attack3 = {
  object_name = "攻撃3",  -- "Attack 3"
  object_tag = "PlayerHit",
  object_layer = LAYER_PLAYER,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    Box2DCollider = { center = { x = 28, y = 0 }, size = { width = 44, height = 44 }, cullingMask = LAYER_ENEMY },
    CollisionAnimation = { default = { "player_hit_box_quick" } },
    MeleeHitController = { followPosition = true, followDirection = true, swingSE = "assets.v1/sounds/se/swing" },
    AttemptDamageController = {
      targetLayer = LAYER_ENEMY,
      damageParamType = 2, damageScale = 1.2, criticalRate = 5,
      knockback = { velocity = { x = 100, y = 140 }, angularVel = 0, boundCount = 0 },
      hitEffects = {
        { name = "gameobj_effect_hit_spark", posType = 1, angle = 0, se = "assets.v1/sounds/se/hit" },
      },
    },
  },
}
