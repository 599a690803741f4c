-- Five orbs fanned out around the line to the player.
-- A shot: { motion, bullet, base time, origin, offset x, offset y, ... }; a timeline entry:
-- { type, shot, time, ... } (1 motion, 2 erase, 3 clip, 4 fire, 5 fire from).
enemy_Pattern_Fan = {
  object_name = "enemy_Pattern_Fan",
  object_layer = LAYER_BULLET,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    BulletHellController = {
      createShots = {
        { 0, "enemy_Bullet_Orb", 0, 1, 0, 0 },
        { 0, "enemy_Bullet_Orb", 0, 1, 0, 0 },
        { 0, "enemy_Bullet_Orb", 0, 1, 0, 0 },
        { 0, "enemy_Bullet_Orb", 0, 1, 0, 0 },
        { 0, "enemy_Bullet_Orb", 0, 1, 0, 0 },
      },
      timeline = {
        { 4, 0, 0 }, { 1, 0, 0, 0, 240, 0, 240, 3, -30 },  -- aimed, -30 degrees
        { 4, 1, 0 }, { 1, 1, 0, 0, 240, 0, 240, 3, -15 },  -- aimed, -15 degrees
        { 4, 2, 0 }, { 1, 2, 0, 0, 240, 0, 240, 3, 0 },  -- aimed, +0 degrees
        { 4, 3, 0 }, { 1, 3, 0, 0, 240, 0, 240, 3, 15 },  -- aimed, +15 degrees
        { 4, 4, 0 }, { 1, 4, 0, 0, 240, 0, 240, 3, 30 },  -- aimed, +30 degrees
      },
    },
  },
}
