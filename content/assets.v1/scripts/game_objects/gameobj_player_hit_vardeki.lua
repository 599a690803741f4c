-- The companion's special move: a hit over the whole screen, centred on it, that also erases
-- every enemy bullet it touches. Enemies take the player's special attack.
gameobj_player_hit_vardeki = {
  object_name = "必殺",  -- "Special"
  object_tag = "PlayerHit",
  object_layer = LAYER_PLAYER,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    Box2DCollider = { center = { x = 0, y = 0 }, size = { width = 1024, height = 600 }, cullingMask = LAYER_ENEMY + LAYER_BULLET },
    CollisionAnimation = { default = { "player_hit_box_screen" } },
    MeleeHitController = { isScreenCenter = true },
    AttemptDamageController = {
      targetLayer = LAYER_ENEMY,
      damageParamType = 4,     -- the attacker's special attack
      damageScale = 1,
      criticalRate = 0,
      knockback = { velocity = { x = 200, y = 400 }, angularVel = 720, boundCount = 1, blow = true },
      cameraShake = { dx = 10, dy = 8, duration = 0.4, count = 4 },
      hitEffects = { { name = "gameobj_effect_hit_spark", posType = 1, angle = 0, se = "assets.v1/sounds/se/hit" } },
    },
    BulletEraser = {},
  },
}
