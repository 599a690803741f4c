-- The player: Pemba. The stage's quest controller places it; its controller turns the first pad
-- into runs, jumps, steps, dashes, glides and attacks. Tuning is in pixels and seconds.
gameobj_player_pemba = {
  object_name = "ペンバ",        -- "Pemba"
  object_tag = "Player",
  object_layer = LAYER_PLAYER,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { z = 5 } },
    Kinematics = { maxSpeed = 1600 },
    SpriteRenderer = {},
    -- The figure stands 52 pixels tall in its 64-pixel cell, its feet 26 below the centre.
    Box2DCollider = {
      center = { x = 0, y = 0 }, size = { width = 20, height = 52 },
      cullingMask = TERRAIN_LAYER + LAYER_ENEMY + LAYER_GIMMICK + LAYER_BULLET,
    },
    SpriteAnimation = {
      stand_loop = { "player_idle" },
      vididezare_stand_loop = { "player_home_idle" },
      take_damage = { "player_damage" },
      run_loop = { "player_run" },
      vididezare_run_loop = { "player_home_run" },
      run_stand = { "player_run_stand" },
      vididezare_run_stand = { "player_home_run_stand" },
      stand_sit = { "player_sit_down" },
      sit_loop = { "player_sit" },
      sit_stand = { "player_sit_up" },
      jump_start = { "player_jump_start" },
      jump_loop = { "player_jump_loop" },
      jump_drop = { "player_jump_drop" },
      drop_loop = { "player_drop" },
      step_loop = { "player_step" },
      step_stand = { "player_step_stand" },
      step_dash = { "player_step_dash" },
      dash_loop = { "player_dash" },
      dash_brake = { "player_dash_brake" },
      brake_loop = { "player_brake" },
      brake_stand = { "player_brake_stand" },
      gliding_loop = { "player_glide" },
      homing = { "player_homing" },
      attack_normal1 = { "player_chain_1" },
      attack_normal2 = { "player_chain_2" },
      attack_normal3 = { "player_chain_3" },
      attack_normal4 = { "player_chain_4" },
      attack_blow_low = { "player_blow_low" },
      attack_blow_mid = { "player_blow_mid" },
      attack_blow_high = { "player_blow_high" },
      slash_start = { "player_slash_start" },
      slash_loop = { "player_slash" },
      turn_slash_start = { "player_turn_start" },
      turn_slash_charge = { "player_turn_charge" },
      turn_slash_loop = { "player_turn" },
      special_start = { "player_special_start" },
      special_loop = { "player_special" },
    },
    -- Flights off enemies bounce off other enemies.
    KnockbackController = { reflectionLayer = LAYER_ENEMY },
    -- While invincible the player meets terrain only.
    InvincibleController = { duration = 1.5, blinkInterval = 0.08, invincibleMask = TERRAIN_LAYER },
    -- Levels come from the save data; each curve is { value, upgrade cost } per level.
    StatusParameter = {
      usePlayerData = true,
      health = { init = 100, max = 999, table = { { 120, 100 }, { 140, 200 }, { 165, 400 } }, step = { 25, 400 } },
      -- Heal items give this many times their points.
      healthRecharge = { init = 1, max = 5, table = { { 1.5, 150 }, { 2, 300 } }, step = { 0.5, 300 } },
      attack = { init = 10, max = 200, table = { { 12, 100 }, { 15, 200 }, { 19, 400 } }, step = { 4, 400 } },
      defense = { init = 0, max = 150, table = { { 5, 100 }, { 10, 200 } }, step = { 5, 300 } },
      specialAtk = { init = 30, max = 300, table = { { 36, 150 }, { 44, 300 } }, step = { 8, 300 } },
      -- Seconds to fill an empty gauge: a falling curve.
      powerRecharge = { init = 30, max = 12, table = { { 27, 150 }, { 24, 300 } }, step = { -3, 300 } },
    },
    -- Its missing health keeps the quest director's intensity from falling below it.
    HealthController = { updateIntensity = true },
    PowerController = { maxPower = 100 },
    -- Hits within 2 s of each other make a combo.
    ComboController = { comboAcceptableTime = 2, maxComboCount = 999, comboNotice = 50 },
    PlayerController = {
      run = { speed = 320, drag = 0.75, threshold = 20 },
      step = { speed = 900, drag = 0.8, threshold = 40, duration = 0.18 },
      dash = { speed = 4000, drag = 0.92, brakingDrag = 0.7, threshold = 40, duration = 0.6 },
      slash = { accel = 6000, speed = 1400, duration = 0.25, rotation = 30, blurInterval = 0.25 },
      turnedSlash = { drag = 0.8, threshold = 30, accel = 5000, speed = 1200, duration = 0.4, blurInterval = 0.4 },
      -- Divisors of the gauge: a slash costs a quarter of it, the special move all of it.
      powerCosts = { slash = 4, turnedSlash = 2, homing = 5, vardeki = 1 },
      jumpHeight = 1.6,
      maxAirActionCount = 2,
      noticeLongWaitTime = 30,
      turnedSlashShockwaveEffect = "gameobj_effect_turned_slash_shockwave",
      turnedSlashShockwaveInterval = 0.1,
    },
  },
  -- The afterimage copies this object's sprite; the actor switches it on and off.
  children = {
    { base_script = "gameobj_player_trail" },
  },
}
