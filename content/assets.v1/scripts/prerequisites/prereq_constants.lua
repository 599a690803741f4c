-- Constants shared by every data file; prerequisites run before any table or prototype loads.
-- Lua as the game opens it has no bit operators: masks are plain numbers, their bits beside.

-- "object_layer" bits.
LAYER_STAGE = 1         -- bit 0: stage roots, backdrops, ground and props
LAYER_PLAYER = 2        -- bit 1: the player and its hits
LAYER_CAMERA = 4        -- bit 2: the cameras
LAYER_ENEMY = 32        -- bit 5: enemies (held while the player's special move runs)
LAYER_GIMMICK = 64      -- bit 6: stage gimmicks the player touches
LAYER_TALK = 128        -- bit 7: the companion's talk (held while quest menus are open)
LAYER_MENU = 2048       -- bit 11: menus, the only layer updated while one is open
LAYER_BULLET = 32768    -- bit 15: bullets (held with the enemies)
LAYER_STAGE_CAMERA = 5  -- bits 0 and 2: a stage object the cameras also follow
LAYER_ALL = 4294967295  -- bits 0-31

-- Terrain segments: their objects' layer (bit 2: the bit a bullet takes out of its collider's
-- mask to pass through terrain), and the layers they meet: stage props, the player, enemies
-- and bullets (bits 0, 1, 5, 15).
TERRAIN_LAYER = 4
TERRAIN_MEETS = LAYER_STAGE + LAYER_PLAYER + LAYER_ENEMY + LAYER_BULLET

-- Pad buttons the gimmicks wait for (bit 0: up).
PAD_UP = 1

-- "object_activity" values.
ACTIVE = 1
INACTIVE = 0
