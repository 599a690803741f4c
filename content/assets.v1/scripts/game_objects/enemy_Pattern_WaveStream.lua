-- A stream of four stars weaving forward, one each 0.2 s.
-- A shot: { motion, bullet, base time, origin, offset x, offset y, ... }; a timeline entry:
-- { type, shot, time, ... } (1 motion, 2 erase, 3 clip, 4 fire, 5 fire from).
enemy_Pattern_WaveStream = {
  object_name = "enemy_Pattern_WaveStream",
  object_layer = LAYER_BULLET,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    BulletHellController = {
      createShots = {
        { 3, "enemy_Bullet_Star", 0.0, 1, 16, 0, 24, 0.6 },
        { 3, "enemy_Bullet_Star", 0.2, 1, 16, 0, 24, 0.6 },
        { 3, "enemy_Bullet_Star", 0.4, 1, 16, 0, 24, 0.6 },
        { 3, "enemy_Bullet_Star", 0.6, 1, 16, 0, 24, 0.6 },
      },
      timeline = {
        { 4, 0, 0 }, { 1, 0, 0, 0, 180, 0, 180, 2, 0 },
        { 4, 1, 0 }, { 1, 1, 0, 0, 180, 0, 180, 2, 0 },
        { 4, 2, 0 }, { 1, 2, 0, 0, 180, 0, 180, 2, 0 },
        { 4, 3, 0 }, { 1, 3, 0, 0, 180, 0, 180, 2, 0 },
      },
    },
  },
}
