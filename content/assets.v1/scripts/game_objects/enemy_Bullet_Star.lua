-- A weaving star; a bouncing wish that only straight flight keeps (it acts as 0 here).
enemy_Bullet_Star = {
  object_name = "ほし",  -- "Star"
  object_tag = "Bullet",
  object_layer = LAYER_BULLET,
  -- Active in data so that it starts; it then waits, inactive, until its pattern fires it.
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 9 } },
    Kinematics = { useGravity = false, needClamp = false, maxSpeed = 2000 },
    SpriteRenderer = {},
    SpriteAnimation = { stand_loop = { "bullet_star_idle" } },
    CircleCollider = { radius = 6, cullingMask = TERRAIN_LAYER + LAYER_PLAYER },
    BulletController = { collideTerrain = 2, removeWhenOffScreen = true },
    AttemptDamageController = {
      targetLayer = LAYER_PLAYER,
      targetTag = "Player",
      damageParamType = 2,     -- the shooter's attack
      damageScale = 0.4,
      criticalRate = 0,
      knockback = { velocity = { x = 160, y = 200 }, angularVel = 0, boundCount = 0 },
      hitEffects = { { name = "gameobj_effect_hit_spark", posType = 1, angle = 0, se = "assets.v1/sounds/se/hit" } },
    },
  },
}
