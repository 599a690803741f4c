-- The player's clips: atlas-sprite tracks over the sprites of chara_player.dds.
--   wrapMode: 1 loops; 0 plays once and holds its last row.
--   animationSheet rows: { atlas sprite, frames at frame_per_sec }.
--   pose_anim keys: { channel, curve, value, start, end, flag }
--     channels: 0/1 move x/y, 2 turns (degrees), 3/4 scale x/y, 5 alpha, 8/9 image offset,
--               10/11 ground velocity; a pose track sets every channel it does not key to 0,
--               so a clip with one keys scale and alpha too.
--     curves: 0 step, 1 linear, 2 ease-in, 3 ease-out, 4 smoothstep, 5 slow in the middle.
--     flag 1: holds its full value past its end; 0: repeats from its start.
animation_table = {
    player_idle = {
        wrapMode = 1,
        animationSheet = { frame_per_sec = 4, animation = { { "player_idle_0", 2 }, { "player_idle_1", 2 } } },
    },
    player_run = {
        wrapMode = 1,
        animationSheet = {
            frame_per_sec = 12,
            animation = { { "player_run_0", 2 }, { "player_run_1", 2 }, { "player_run_2", 2 }, { "player_run_3", 2 } },
        },
    },
    player_attack = {
        wrapMode = 0,
        animationSheet = {
            frame_per_sec = 20,
            animation = { { "player_attack_0", 2 }, { "player_attack_1", 2 }, { "player_attack_2", 4 } },
        },
        pose_anim = {
            { 3, 0, 1, 0, 0.4, 1 },
            { 4, 0, 1, 0, 0.4, 1 },
            { 5, 0, 1, 0, 0.4, 1 },
            { 0, 3, 12, 0, 0.2, 1 },   -- a lunge forward, slowing down
            { 10, 1, 30, 0, 0.2, 1 },  -- and the ground speed it gives
        },
    },
    player_jump = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 10, animation = { { "player_jump_0", 3 }, { "player_fall_0", 3 } } },
    },
    player_dash = {
        wrapMode = 1,
        animationSheet = { animation = { { "player_dash_0", 1 } } },  -- frame_per_sec absent: 30
    },
    player_damage = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 10, animation = { { "player_damage_0", 6 } } },
        pose_anim = {
            { 3, 0, 1, 0, 0.6, 1 },
            { 4, 0, 1, 0, 0.6, 1 },
            { 5, 0, 1, 0, 0.6, 1 },
            { 5, 1, -0.6, 0, 0.1, 0 },  -- blinks: fades by 0.6 and back, every 0.1 s
            { 2, 3, -15, 0, 0.3, 1 },   -- tips backwards
        },
    },

    -- The movement states' clips: wind-ups and endings play once, the rest loop.
    player_run_stand = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 12, animation = { { "player_brake_0", 2 }, { "player_idle_0", 1 } } },
    },
    player_sit_down = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 12, animation = { { "player_sit_0", 2 } } },
    },
    player_sit = {
        wrapMode = 1,
        animationSheet = { animation = { { "player_sit_0", 1 } } },
    },
    player_sit_up = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 12, animation = { { "player_sit_0", 1 }, { "player_idle_0", 1 } } },
    },
    player_jump_start = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 12, animation = { { "player_sit_0", 1 }, { "player_jump_0", 1 } } },
    },
    player_jump_loop = {
        wrapMode = 1,
        animationSheet = { animation = { { "player_jump_0", 1 } } },
    },
    player_jump_drop = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 12, animation = { { "player_jump_0", 1 }, { "player_fall_0", 1 } } },
    },
    player_drop = {
        wrapMode = 1,
        animationSheet = { animation = { { "player_fall_0", 1 } } },
    },
    player_step = {
        wrapMode = 1,
        animationSheet = { animation = { { "player_step_0", 1 } } },
    },
    player_step_stand = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 12, animation = { { "player_brake_0", 2 }, { "player_idle_0", 1 } } },
    },
    player_step_dash = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 12, animation = { { "player_step_0", 1 }, { "player_dash_0", 1 } } },
    },
    player_dash_brake = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 12, animation = { { "player_dash_0", 1 }, { "player_brake_0", 1 } } },
    },
    player_brake = {
        wrapMode = 1,
        animationSheet = { animation = { { "player_brake_0", 1 } } },
    },
    player_brake_stand = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 12, animation = { { "player_brake_0", 1 }, { "player_idle_0", 1 } } },
    },
    player_glide = {
        wrapMode = 1,
        animationSheet = { animation = { { "player_glide_0", 1 } } },
    },
    -- At home.
    player_home_idle = {
        wrapMode = 1,
        animationSheet = { frame_per_sec = 4, animation = { { "player_home_idle_0", 2 }, { "player_home_idle_1", 2 } } },
    },
    player_home_run = {
        wrapMode = 1,
        animationSheet = { frame_per_sec = 8, animation = { { "player_home_run_0", 2 }, { "player_home_run_1", 2 } } },
    },
    player_home_run_stand = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 12, animation = { { "player_home_run_0", 1 }, { "player_home_idle_0", 1 } } },
    },
    -- The companion at home and the visiting stranger.
    companion_idle = {
        wrapMode = 1,
        animationSheet = { frame_per_sec = 4, animation = { { "companion_idle_0", 2 }, { "companion_idle_1", 2 } } },
    },
    stranger_idle = {
        wrapMode = 1,
        animationSheet = { frame_per_sec = 3, animation = { { "stranger_idle_0", 2 }, { "stranger_idle_1", 2 } } },
    },
    stranger_run = {
        wrapMode = 1,
        animationSheet = { frame_per_sec = 8, animation = { { "stranger_run_0", 2 }, { "stranger_run_1", 2 } } },
    },
}
