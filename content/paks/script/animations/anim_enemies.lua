-- Enemy clips: grid-cell tracks over chara_enemies.dds, a sheet of 64 x 64 cells
-- numbered row by row: 0-1 blob, 2-3 wisp, 4-5 guard, 6-7 red blob; then for the blob (8-11), the
-- red blob (12-15) and the wisp (16-19): two running cells, one attacking, one hit. It is 256 x 512
-- now; the first rows are unchanged. This file is packed only
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
    enemy_blob_run = {
        wrapMode = 1,
        sprite_anim = { frame_per_sec = 6, spriteSize = { x = 64, y = 64 }, animation = { { "chara_enemies", 8, 9, 2 } } },
    },
    enemy_red_blob_run = {
        wrapMode = 1,
        sprite_anim = { frame_per_sec = 6, spriteSize = { x = 64, y = 64 }, animation = { { "chara_enemies", 12, 13, 2 } } },
    },
    -- The bite: a lunge with the mouth open, hopping forward-up and landing.
    enemy_blob_attack = {
        wrapMode = 0,
        sprite_anim = {
            frame_per_sec = 10, spriteSize = { x = 64, y = 64 },
            animation = { { "chara_enemies", 10, 10, 4 }, { "chara_enemies", 0, 0, 2 } },
        },
        pose_anim = {
            { 3, 0, 1, 0, 0.6, 1 },
            { 4, 0, 1, 0, 0.6, 1 },
            { 5, 0, 1, 0, 0.6, 1 },
            { 1, 3, 16, 0, 0.2, 1 },
            { 1, 2, -16, 0.2, 0.4, 1 },
        },
    },
    enemy_red_blob_attack = {
        wrapMode = 0,
        sprite_anim = {
            frame_per_sec = 8, spriteSize = { x = 64, y = 64 },
            animation = { { "chara_enemies", 14, 14, 4 }, { "chara_enemies", 6, 6, 2 } },
        },
        pose_anim = {
            { 3, 0, 1, 0, 0.75, 1 },
            { 4, 0, 1, 0, 0.75, 1 },
            { 5, 0, 1, 0, 0.75, 1 },
            { 1, 3, 12, 0, 0.25, 1 },
            { 1, 2, -12, 0.25, 0.5, 1 },
        },
    },
    -- Hit: the pale flinch held for 0.4 s.
    enemy_blob_damage = {
        wrapMode = 0,
        sprite_anim = { frame_per_sec = 10, spriteSize = { x = 64, y = 64 }, animation = { { "chara_enemies", 11, 11, 4 } } },
    },
    enemy_red_blob_damage = {
        wrapMode = 0,
        sprite_anim = { frame_per_sec = 10, spriteSize = { x = 64, y = 64 }, animation = { { "chara_enemies", 15, 15, 4 } } },
    },
    enemy_wisp_run = {
        wrapMode = 1,
        sprite_anim = { frame_per_sec = 6, spriteSize = { x = 64, y = 64 }, animation = { { "chara_enemies", 16, 17, 2 } } },
        pose_anim = {
            { 3, 0, 1, 0, 1, 1 },
            { 4, 0, 1, 0, 1, 1 },
            { 5, 0, 0.8, 0, 1, 1 },
            { 9, 5, -4, 0, 1, 0 },       -- bobs, less than when drifting
        },
    },
    enemy_wisp_attack = {
        wrapMode = 0,
        sprite_anim = { frame_per_sec = 10, spriteSize = { x = 64, y = 64 }, animation = { { "chara_enemies", 18, 18, 6 } } },
    },
    enemy_wisp_damage = {
        wrapMode = 0,
        sprite_anim = { frame_per_sec = 10, spriteSize = { x = 64, y = 64 }, animation = { { "chara_enemies", 19, 19, 4 } } },
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
