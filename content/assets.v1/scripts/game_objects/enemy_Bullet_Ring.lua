-- An orbiting ring; it flies on after a hit.
enemy_Bullet_Ring = {
  object_name = "わ",  -- "Ring"
  object_tag = "Bullet",
  object_layer = LAYER_BULLET,
  -- Active in data so that it starts; it then waits, inactive, until its pattern fires it.
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 9 } },
    Kinematics = { useGravity = false, needClamp = false, maxSpeed = 2000 },
    SpriteRenderer = {},
    SpriteAnimation = { stand_loop = { "bullet_ring_idle" } },
    CircleCollider = { radius = 6, cullingMask = TERRAIN_LAYER + LAYER_PLAYER },
    BulletController = { penetrateTarget = true, removeWhenOffScreen = true },
    AttemptDamageController = {
      targetLayer = LAYER_PLAYER,
      targetTag = "Player",
      damageParamType = 2,     -- the shooter's attack
      damageScale = 0.3,
      criticalRate = 0,
      knockback = { velocity = { x = 160, y = 200 }, angularVel = 0, boundCount = 0 },
      hitEffects = { { name = "gameobj_effect_hit_spark", posType = 1, angle = 0, se = "assets.v1/sounds/se/hit" } },
    },
  },
}
