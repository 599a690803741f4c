-- Enemy clips: grid-cell tracks over chara_enemies.dds, a 256 x 128 sheet of 64 x 64 cells
-- numbered row by row: 0-1 blob, 2-3 wisp, 4-5 guard, 6-7 red blob. This file is packed only
-- into data/script.pak. Key layout: see anim_player.lua.
--   sprite_anim runs: { texture, first cell, last cell, frames per cell }; a first cell above
--   the last plays the cells downwards.
animation_table = {
    enemy_blob_idle = {
        wrapMode = 1,
        sprite_anim = { frame_per_sec = 6, spriteSize = { x = 64, y = 64 }, animation = { { "chara_enemies", 0, 1, 2 } } },
    },
    enemy_blob_hop = {
        wrapMode = 0,
        sprite_anim = {
            frame_per_sec = 10, spriteSize = { x = 64, y = 64 },
            animation = { { "chara_enemies", 1, 1, 1 }, { "chara_enemies", 0, 0, 4 } },
        },
        pose_anim = {
            { 3, 0, 1, 0, 0.5, 1 },
            { 4, 0, 1, 0, 0.5, 1 },
            { 5, 0, 1, 0, 0.5, 1 },
            { 1, 3, 24, 0, 0.25, 1 },    -- up, slowing
            { 1, 2, -24, 0.25, 0.5, 1 }, -- and down, speeding up
        },
    },
    enemy_blob_vanish = {
        wrapMode = 0,
        sprite_anim = { frame_per_sec = 10, spriteSize = { x = 64, y = 64 }, animation = { { "chara_enemies", 0, 0, 5 } } },
        pose_anim = {
            { 3, 0, 1, 0, 0.5, 1 },
            { 3, 4, -1, 0, 0.5, 1 },
            { 4, 0, 1, 0, 0.5, 1 },
            { 4, 4, -1, 0, 0.5, 1 },
            { 5, 0, 1, 0, 0.5, 1 },
            { 5, 2, -1, 0, 0.5, 1 },
        },
    },
    enemy_wisp_float = {
        wrapMode = 1,
        sprite_anim = { frame_per_sec = 4, spriteSize = { x = 64, y = 64 }, animation = { { "chara_enemies", 2, 3, 2 } } },
        pose_anim = {
            { 3, 0, 1, 0, 1, 1 },
            { 4, 0, 1, 0, 1, 1 },
            { 5, 0, 0.8, 0, 1, 1 },
            { 9, 5, -6, 0, 1, 0 },       -- bobs
        },
    },
    enemy_guard_idle = {
        wrapMode = 1,
        sprite_anim = { frame_per_sec = 4, spriteSize = { x = 64, y = 64 }, animation = { { "chara_enemies", 4, 5, 2 } } },
    },
    enemy_red_blob_idle = {
        wrapMode = 1,
        sprite_anim = { frame_per_sec = 6, spriteSize = { x = 64, y = 64 }, animation = { { "chara_enemies", 7, 6, 2 } } },
    },
    -- The cave golem's spear hit box: out (channel 5 on) for the first 0.4 s of every 0.8 s,
    -- reaching forward as it goes.
    boss_golem_spear = {
        wrapMode = 1,
        pose_anim = {
            { 3, 0, 1, 0, 0.8, 1 },
            { 4, 0, 1, 0, 0.8, 1 },
            { 5, 0, 1, 0, 0.8, 1 },
            { 5, 0, -1, 0.4, 0.8, 1 },
            { 0, 1, 24, 0, 0.4, 1 },
        },
    },
    -- An enemy's bite: its hit box is out (channel 5 on) for 0.3 s, once.
    enemy_bite_box = {
        wrapMode = 0,
        pose_anim = {
            { 3, 0, 1, 0, 0.3, 1 },
            { 4, 0, 1, 0, 0.3, 1 },
            { 5, 0, 1, 0, 0.3, 1 },
        },
    },
    -- The guard standing still: one fixed rectangle, cell 4.
    enemy_guard_still = {
        wrapMode = 0,
        texcoord = { "chara_enemies", 0, 64, 64, 64 },
    },
}
