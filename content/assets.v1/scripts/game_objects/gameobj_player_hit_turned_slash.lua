-- The turned slash: a long box along the backwards rush, aimed at the enemy layer; the player holds it while the move lasts.
gameobj_player_hit_turned_slash = {
  object_name = "返し斬り",  -- "Turned slash"
  object_tag = "PlayerHit",
  object_layer = LAYER_PLAYER,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    Box2DCollider = { center = { x = 20, y = 0 }, size = { width = 72, height = 44 }, cullingMask = LAYER_ENEMY },
    CollisionAnimation = { default = { "player_hit_box_rush" } },
    MeleeHitController = { followPosition = true, followDirection = true, swingSE = "assets.v1/sounds/se/swing" },
    AttemptDamageController = {
      targetLayer = LAYER_ENEMY,
      damageParamType = 2, damageScale = 2, criticalRate = 10,
      knockback = { velocity = { x = 380, y = 320 }, angularVel = 540, boundCount = 1, blow = true },
      cameraShake = { dx = 6, dy = 4, duration = 0.25, count = 3 },
      hitEffects = {
        { name = "gameobj_effect_hit_spark", posType = 1, angle = 0, se = "assets.v1/sounds/se/hit" },
      },
    },
  },
}
