-- Effect and interface clips: atlas sprites of effects.tga and ui_parts.tga, and fixed
-- rectangles of white.tga given pose tracks. Key layout: see anim_player.lua.
--   texcoord: { texture, x, y, width, height } in pixels of the texture.
animation_table = {
    -- The pickups: the heart, and the herb (the crystal, which its renderer tints green).
    item_heart_idle = {
        wrapMode = 1,
        animationSheet = { frame_per_sec = 2, animation = { { "item_heart", 1 } } },
    },
    item_herb_idle = {
        wrapMode = 1,
        animationSheet = { frame_per_sec = 2, animation = { { "item_crystal", 1 } } },
    },
    fx_hit = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 24, animation = { { "fx_hit_0", 2 }, { "fx_hit_1", 2 }, { "fx_hit_2", 3 } } },
    },
    fx_smoke = {
        wrapMode = 0,
        animationSheet = { frame_per_sec = 10, animation = { { "fx_smoke_0", 5 } } },
        pose_anim = {
            { 3, 0, 1, 0, 0.5, 1 },
            { 3, 2, 0.5, 0, 0.5, 1 },   -- grows by half, faster and faster
            { 4, 0, 1, 0, 0.5, 1 },
            { 4, 2, 0.5, 0, 0.5, 1 },
            { 5, 0, 1, 0, 0.5, 1 },
            { 5, 4, -1, 0, 0.5, 1 },    -- fades out
            { 1, 1, 16, 0, 0.5, 1 },    -- rises
        },
    },
    -- A white square that flashes and fades once.
    fx_flash = {
        wrapMode = 0,
        texcoord = { "white", 0, 0, 8, 8 },
        pose_anim = {
            { 3, 0, 4, 0, 0.3, 1 },
            { 3, 2, 4, 0, 0.3, 1 },
            { 4, 0, 4, 0, 0.3, 1 },
            { 4, 2, 4, 0, 0.3, 1 },
            { 5, 0, 1, 0, 0.3, 1 },
            { 5, 3, -1, 0, 0.3, 1 },
        },
    },
    -- Every curve at once, looping: each channel shows one.
    fx_pulse = {
        wrapMode = 1,
        texcoord = { "white", 0, 0, 8, 8 },
        pose_anim = {
            { 0, 0, 4, 0.5, 1, 0 },     -- step: a jump to the right in the second half
            { 1, 1, 8, 0, 1, 0 },       -- linear: a steady climb, back at every loop
            { 2, 2, 90, 0, 1, 0 },      -- ease-in: a quarter turn
            { 3, 0, 2, 0, 1, 1 },
            { 3, 3, 1, 0, 1, 0 },       -- ease-out: width 2 to 3
            { 4, 0, 2, 0, 1, 1 },
            { 4, 4, 1, 0, 1, 0 },       -- smoothstep: height 2 to 3
            { 5, 5, 1, 0, 1, 0 },       -- slow in the middle: alpha 0 to 1
        },
    },
    ui_cursor_bob = {
        wrapMode = 1,
        animationSheet = { frame_per_sec = 1, animation = { { "ui_cursor", 1 } } },
        pose_anim = {
            { 3, 0, 1, 0, 1, 1 },
            { 4, 0, 1, 0, 1, 1 },
            { 5, 0, 1, 0, 1, 1 },
            { 8, 5, 6, 0, 1, 0 },       -- nudges right and snaps back
        },
    },
}
