texture_table = {
    sheet = { texture_name = "assets.v1/2d/sprites/sheet", load_type = 1 },
    hills = { texture_name = "assets.v1/2d/sprites/hills", load_type = 0 },
}
spriteSheet = {
    texture = "sheet.tga",
    textureSize = { width = 256, height = 128 },
    sprites = {
        { name = "player_stand.png",
          sourceRect = { x = 2, y = 4, width = 60, height = 56 },
          originalSize = { width = 64, height = 64 },
          uvRect = { x = 16, y = 32, width = 60, height = 56 } },
        { name = "odd.size", sourceRect = { x = 1.5, y = 0, width = 9.75, height = 3.25 },
          originalSize = { width = 12.9, height = 4 }, uvRect = { x = 128, y = 64, width = 128, height = 64 } },
        42, "not a table",
    },
}
