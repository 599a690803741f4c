-- The chain's finisher: wider, and it knocks enemies away, aimed at the enemy layer; the player holds it while the move lasts.
gameobj_player_hit_attack4 = {
  object_name = "攻撃4",  -- "Attack 4"
  object_tag = "PlayerHit",
  object_layer = LAYER_PLAYER,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    Box2DCollider = { center = { x = 30, y = 0 }, size = { width = 52, height = 48 }, cullingMask = LAYER_ENEMY },
    CollisionAnimation = { default = { "player_hit_box_blow" } },
    MeleeHitController = { followPosition = true, followDirection = true, swingSE = "assets.v1/sounds/se/swing" },
    AttemptDamageController = {
      targetLayer = LAYER_ENEMY,
      damageParamType = 2, damageScale = 1.6, criticalRate = 10,
      knockback = { velocity = { x = 320, y = 300 }, angularVel = 360, boundCount = 1 },
      cameraShake = { dx = 4, dy = 3, duration = 0.2, count = 2 },
      hitEffects = {
        { name = "gameobj_effect_hit_spark", posType = 1, angle = 0, se = "assets.v1/sounds/se/hit" },
      },
    },
  },
}
