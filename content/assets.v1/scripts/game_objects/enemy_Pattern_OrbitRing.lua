-- Six rings circling the shooter for three seconds.
-- A shot: { motion, bullet, base time, origin, offset x, offset y, ... }; a timeline entry:
-- { type, shot, time, ... } (1 motion, 2 erase, 3 clip, 4 fire, 5 fire from).
enemy_Pattern_OrbitRing = {
  object_name = "enemy_Pattern_OrbitRing",
  object_layer = LAYER_BULLET,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    BulletHellController = {
      createShots = {
        { 2, "enemy_Bullet_Ring", 0, 1, 0, 0, 48, 180, 0, 0, 1 },
        { 2, "enemy_Bullet_Ring", 0, 1, 0, 0, 48, 180, 0, 60, 1 },
        { 2, "enemy_Bullet_Ring", 0, 1, 0, 0, 48, 180, 0, 120, 1 },
        { 2, "enemy_Bullet_Ring", 0, 1, 0, 0, 48, 180, 0, 180, 1 },
        { 2, "enemy_Bullet_Ring", 0, 1, 0, 0, 48, 180, 0, 240, 1 },
        { 2, "enemy_Bullet_Ring", 0, 1, 0, 0, 48, 180, 0, 300, 1 },
      },
      timeline = {
        { 4, 0, 0 }, { 2, 0, 3 },
        { 4, 1, 0 }, { 2, 1, 3 },
        { 4, 2, 0 }, { 2, 2, 3 },
        { 4, 3, 0 }, { 2, 3, 3 },
        { 4, 4, 0 }, { 2, 4, 3 },
        { 4, 5, 0 }, { 2, 5, 3 },
      },
    },
  },
}
