local boom = { __index = function(t, k) error("no field") end }
accessory_F = setmetatable({ accessoryId = 1 }, boom)
quest_F = { questId = 2, enemyList = { boss = setmetatable({}, { __index = function(t, k) return t[k] end }) } }
text_F = setmetatable({ line = { "a" } }, boom)
