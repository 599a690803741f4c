-- Two needles that leave up and down, then turn after the player.
-- A shot: { motion, bullet, base time, origin, offset x, offset y, ... }; a timeline entry:
-- { type, shot, time, ... } (1 motion, 2 erase, 3 clip, 4 fire, 5 fire from).
enemy_Pattern_HomingPair = {
  object_name = "enemy_Pattern_HomingPair",
  object_layer = LAYER_BULLET,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    BulletHellController = {
      createShots = {
        { 1, "enemy_Bullet_Needle", 0.2, 1, 0, 20, { 80, 100 } },
        { 1, "enemy_Bullet_Needle", 0.2, 1, 0, -20, { 80, 100 } },
      },
      timeline = {
        { 4, 0, 0 }, { 1, 0, 0, 0, 120, 60, 300, 2, 90 },
        { 4, 1, 0 }, { 1, 1, 0, 0, 120, 60, 300, 2, 270 },
        { 2, 0, 4 }, { 2, 1, 4 },
      },
    },
  },
}
