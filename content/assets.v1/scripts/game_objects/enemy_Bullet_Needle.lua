-- A homing needle, turned to its flight and passing through terrain.
enemy_Bullet_Needle = {
  object_name = "はり",  -- "Needle"
  object_tag = "Bullet",
  object_layer = LAYER_BULLET,
  -- Active in data so that it starts; it then waits, inactive, until its pattern fires it.
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 9 } },
    Kinematics = { useGravity = false, needClamp = false, maxSpeed = 2000 },
    SpriteRenderer = {},
    SpriteAnimation = { stand_loop = { "bullet_needle_idle" } },
    CircleCollider = { radius = 5, cullingMask = TERRAIN_LAYER + LAYER_PLAYER },
    BulletController = { rotateSprite = true, flipSprite = true, removeWhenOffScreen = true },
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
