-- the images named here are this text itself: no image header
texture_table = { plain = { texture_name = "plain" } }
spriteSheet = { texture = "plain", textureSize = { width = 0, height = 8 }, sprites = { { name = "z" } } }
