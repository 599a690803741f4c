-- Shapes evaluation could not show: empty rows, lost textures, grids of no or too many columns,
-- channels out of range, endless numbers, a step far past a tiny loop.
animation_table = {
    e1 = { animationSheet = { animation = {} } },
    e2 = { sprite_anim = { spriteSize = { x = 64, y = 64 }, animation = { { 'lost', 0, 1, 1 } } }, texcoord = { 'lost', 0, 0, 1, 1 } },
    e3 = { sprite_anim = { spriteSize = { x = 0, y = 0 }, animation = { { 'grid', 0, 1, 1 } } } },
    e4 = { sprite_anim = { spriteSize = { x = 32, y = 32 }, animation = { { 'wide', -128, 127, 1 } } } },
    e5 = { sprite_anim = { spriteSize = { x = 64, y = 64 }, animation = { { 'blank', 0, 1, 1 } } } },
    e6 = { pose_anim = { { 12, 1, 1, 0, 1, 0 }, { -1, 1, 1, 0, 1, 0 }, { 0, 1, 1/0, 0, 1, 0 }, { 0, 4, 1, 2, 2, 0 }, 7 } },
    e7 = { wrapMode = 1, animationSheet = { frame_per_sec = 1e30, animation = { { 'a', 1 } } } },
    e8 = { wrapMode = 1, sprite_anim = { frame_per_sec = -5, spriteSize = { x = 64, y = 64 }, animation = { { 'grid', 300, -300, 1e12 } } } },
    [1] = {}, e9 = 'text', e10 = { animationSheet = { animation = { [1] = { 'a', 1 }, [3] = { 'b', 1 } } } },
}
