local boom = { __index = function(t, k) error("no field") end }
texture_table = { bad = setmetatable({ texture_name = "x" }, boom), good = { texture_name = "y", load_type = 1 } }
spriteSheet = { texture = "t.dds", textureSize = { width = 8, height = 8 }, sprites = { setmetatable({}, boom) } }
