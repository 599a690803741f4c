-- The player's attack clips over chara_player.dds, the hit boxes of its hit objects, and the
-- special move's and turned slash's effects over effects.tga. Key layout: see anim_player.lua.
-- The chain steps carry root motion on channels 10 and 11 (the player's ground velocity).
animation_table = {
    player_chain_1 = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 20, animation = { { "player_chain_0", 6 } } },
        pose_anim = {
            { 3, 0, 1, 0, 0.3, 1 }, { 4, 0, 1, 0, 0.3, 1 }, { 5, 0, 1, 0, 0.3, 1 },
            { 10, 3, 14, 0, 0.15, 1 },   -- a short step in
            { 11, 0, 0, 0, 0.3, 1 },
        },
    },
    player_chain_2 = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 20, animation = { { "player_chain_1", 6 } } },
        pose_anim = {
            { 3, 0, 1, 0, 0.3, 1 }, { 4, 0, 1, 0, 0.3, 1 }, { 5, 0, 1, 0, 0.3, 1 },
            { 10, 3, 18, 0, 0.15, 1 },
            { 11, 0, 0, 0, 0.3, 1 },
        },
    },
    player_chain_3 = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 20, animation = { { "player_chain_2", 7 } } },
        pose_anim = {
            { 3, 0, 1, 0, 0.35, 1 }, { 4, 0, 1, 0, 0.35, 1 }, { 5, 0, 1, 0, 0.35, 1 },
            { 10, 3, 22, 0, 0.2, 1 },
            { 11, 0, 0, 0, 0.35, 1 },
        },
    },
    -- The finisher lunges further and hops a little.
    player_chain_4 = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 20, animation = { { "player_chain_3", 9 } } },
        pose_anim = {
            { 3, 0, 1, 0, 0.45, 1 }, { 4, 0, 1, 0, 0.45, 1 }, { 5, 0, 1, 0, 0.45, 1 },
            { 10, 3, 36, 0, 0.25, 1 },
            { 11, 4, 6, 0, 0.1, 1 },
        },
    },
    player_blow_low = { wrapMode = 0, animationSheet = { frame_per_sec = 20, animation = { { "player_blow_0", 7 } } } },
    player_blow_mid = { wrapMode = 0, animationSheet = { frame_per_sec = 20, animation = { { "player_blow_1", 7 } } } },
    player_blow_high = { wrapMode = 0, animationSheet = { frame_per_sec = 20, animation = { { "player_blow_2", 7 } } } },
    player_slash_start = { wrapMode = 0, animationSheet = { frame_per_sec = 20, animation = { { "player_slash_0", 3 } } } },
    player_slash = { wrapMode = 1, animationSheet = { animation = { { "player_slash_1", 1 } } } },
    player_turn_start = { wrapMode = 0, animationSheet = { frame_per_sec = 20, animation = { { "player_turn_0", 3 } } } },
    player_turn_charge = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 20, animation = { { "player_turn_1", 6 } } },
        pose_anim = {
            { 3, 0, 1, 0, 0.3, 1 }, { 4, 0, 1, 0, 0.3, 1 }, { 5, 0, 1, 0, 0.3, 1 },
            { 5, 1, -0.4, 0, 0.1, 0 },   -- flickers while it charges
        },
    },
    player_turn = { wrapMode = 1, animationSheet = { animation = { { "player_turn_2", 1 } } } },
    player_special_start = { wrapMode = 0, animationSheet = { frame_per_sec = 10, animation = { { "player_special_0", 4 } } } },
    player_special = { wrapMode = 1, animationSheet = { animation = { { "player_special_0", 1 } } } },
    player_homing = { wrapMode = 0, animationSheet = { frame_per_sec = 20, animation = { { "player_homing_0", 3 } } } },

    -- Hit boxes: out (channel 5 on) for a while, once.
    player_hit_box_quick = { wrapMode = 0, pose_anim = { { 3, 0, 1, 0, 0.2, 1 }, { 4, 0, 1, 0, 0.2, 1 }, { 5, 0, 1, 0, 0.2, 1 } } },
    player_hit_box_blow = { wrapMode = 0, pose_anim = { { 3, 0, 1, 0, 0.3, 1 }, { 4, 0, 1, 0, 0.3, 1 }, { 5, 0, 1, 0, 0.3, 1 } } },
    player_hit_box_rush = { wrapMode = 0, pose_anim = { { 3, 0, 1, 0, 0.45, 1 }, { 4, 0, 1, 0, 0.45, 1 }, { 5, 0, 1, 0, 0.45, 1 } } },
    player_hit_box_screen = { wrapMode = 0, pose_anim = { { 3, 0, 1, 0, 0.1, 1 }, { 4, 0, 1, 0, 0.1, 1 }, { 5, 0, 1, 0, 0.1, 1 } } },

    -- The companion fades in, hovers and fades out.
    fx_companion = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 10, animation = { { "fx_companion_0", 10 } } },
        pose_anim = {
            { 3, 0, 3, 0, 1, 1 }, { 4, 0, 3, 0, 1, 1 },
            { 5, 3, 1, 0, 0.3, 1 }, { 5, 2, -1, 0.7, 1, 1 },
            { 1, 4, 12, 0, 1, 1 },
        },
    },
    -- The two slashes sweep across the screen, the second after the first.
    fx_slash1 = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 10, animation = { { "fx_slash_0", 6 } } },
        pose_anim = { { 3, 0, 6, 0, 0.6, 1 }, { 4, 0, 6, 0, 0.6, 1 }, { 5, 0, 1, 0, 0.6, 1 }, { 5, 2, -1, 0.2, 0.6, 1 } },
    },
    fx_slash2 = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 10, animation = { { "fx_slash_1", 6 } } },
        pose_anim = { { 3, 0, 6, 0, 0.6, 1 }, { 4, 0, 6, 0, 0.6, 1 }, { 5, 0, 1, 0, 0.6, 1 }, { 5, 2, -1, 0.2, 0.6, 1 } },
    },
    fx_shockwave = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 10, animation = { { "fx_shockwave_0", 4 } } },
        pose_anim = {
            { 3, 0, 1, 0, 0.4, 1 }, { 3, 3, 1, 0, 0.4, 1 }, { 4, 0, 1, 0, 0.4, 1 },
            { 5, 0, 1, 0, 0.4, 1 }, { 5, 2, -1, 0, 0.4, 1 },
        },
    },
}
