-- An aimed orb that splits into three needles fired from where it is.
-- A shot: { motion, bullet, base time, origin, offset x, offset y, ... }; a timeline entry:
-- { type, shot, time, ... } (1 motion, 2 erase, 3 clip, 4 fire, 5 fire from).
enemy_Pattern_Splitter = {
  object_name = "enemy_Pattern_Splitter",
  object_layer = LAYER_BULLET,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    BulletHellController = {
      createShots = {
        { 0, "enemy_Bullet_Orb", 0, 1, 0, 0 },
        { 0, "enemy_Bullet_Needle", 0, 1, 0, 0 },
        { 0, "enemy_Bullet_Needle", 0, 1, 0, 0 },
        { 0, "enemy_Bullet_Needle", 0, 1, 0, 0 },
      },
      timeline = {
        { 4, 0, 0 }, { 1, 0, 0, 0, 160, 0, 160, 3, 0 },
        -- At 0.8 s the orb bursts into three needles that go on along its heading, spread.
        { 5, 0, 0.8, 1 }, { 5, 0, 0.8, 2 }, { 5, 0, 0.8, 3 }, { 2, 0, 0.8 },
        { 1, 1, 0, 1, 60, 0, 400, 1, 30 }, { 1, 2, 0, 1, 60, 0, 400, 1, 0 }, { 1, 3, 0, 1, 60, 0, 400, 1, -30 },
      },
    },
  },
}
