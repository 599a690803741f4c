-- Every kind of track: atlas rows, grid runs (one counting down), a rectangle, pose keys of each curve.
animation_table = {
    idle = { wrapMode = 1, flags = 3, animationSheet = { frame_per_sec = 8, animation = { { 'a', 2 }, { 'b', 2 }, { 'nosuch', 1 } } } },
    walk = { wrapMode = 1, sprite_anim = { frame_per_sec = 12, spriteSize = { x = 64, y = 64 },
             animation = { { 'grid', 0, 3, 2 }, { 'grid', 7, 4, 1 } } } },
    strip = { sprite_anim = { spriteSize = { x = 64, y = 64 }, animation = { { 'wide', 126, 120, 1 } } } },
    sign = { texcoord = { 'grid', 16, 32, 64, 32 } },
    sway = { wrapMode = 2, animationSheet = { animation = { { 'a', 30 } } },
             pose_anim = { { 0, 0, 4, 0, 0.5, 1 }, { 1, 1, -8, 0, 1, 0 }, { 2, 2, 45, 0, 1, 0 }, { 3, 3, 1, 0, 1, 1 },
                           { 4, 4, 1, 0, 1, 1 }, { 5, 5, 1, 0, 1, 1 }, { 8, 1, 2, 0.5, 0.5, 0 }, { 10, 6, 1, 0, 1, 0 } } },
}
