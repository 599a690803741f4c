setmetatable(_G, { __index = function(t, k) while true do end end })
texture_table = setmetatable({}, { __index = function(t, k) return t[k] end })
