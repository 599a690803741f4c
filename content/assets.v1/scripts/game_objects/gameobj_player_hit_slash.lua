-- The slash: a long box along the rush, aimed at the enemy layer; the player holds it while the move lasts.
gameobj_player_hit_slash = {
  object_name = "斬撃",  -- "Slash"
  object_tag = "PlayerHit",
  object_layer = LAYER_PLAYER,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    Box2DCollider = { center = { x = 20, y = 0 }, size = { width = 64, height = 40 }, cullingMask = LAYER_ENEMY },
    CollisionAnimation = { default = { "player_hit_box_rush" } },
    MeleeHitController = { followPosition = true, followDirection = true, swingSE = "assets.v1/sounds/se/swing" },
    AttemptDamageController = {
      targetLayer = LAYER_ENEMY,
      damageParamType = 2, damageScale = 1.5, criticalRate = 10,
      knockback = { velocity = { x = 300, y = 260 }, angularVel = 360, boundCount = 1 },
      hitEffects = {
        { name = "gameobj_effect_hit_spark", posType = 1, angle = 0, se = "assets.v1/sounds/se/hit" },
        -- the slash sets this one's angle to its own
        { name = "gameobj_effect_turned_slash_shockwave", posType = 1, angle = 0 },
      },
    },
  },
}
