-- An enemy's bite: a hit box in front of its owner for the clip's 0.3 s, aimed at the player.
enemy_Slime_Bite = {
  object_name = "かみつき",  -- "Bite"
  object_tag = "EnemyHit",
  object_layer = LAYER_ENEMY,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    CircleCollider = { center = { x = 24, y = 0 }, radius = 16, cullingMask = LAYER_PLAYER },
    CollisionAnimation = { default = { "enemy_bite_box" } },
    MeleeHitController = { followPosition = true, followDirection = true, swingSE = "assets.v1/sounds/se/swing" },
    AttemptDamageController = {
      targetLayer = LAYER_PLAYER,
      targetTag = "Player",
      damageParamType = 2,     -- the attacker's attack
      damageScale = 1,
      criticalRate = 5,
      knockback = { velocity = { x = 260, y = 320 }, angularVel = 0, boundCount = 0 },
      cameraShake = { dx = 6, dy = 4, duration = 0.25, count = 3 },
      hitEffects = { { name = "gameobj_effect_hit_spark", posType = 1, angle = 0, se = "assets.v1/sounds/se/hit" } },
    },
  },
}
