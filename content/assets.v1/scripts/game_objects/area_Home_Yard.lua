-- The home base's one area: ground along the bottom, a raised bank with a slope, a floating
-- block, and a few props. Terrain points are y-down from the area's top-left; floors run left
-- to right, so their normals point up.
area_Home_Yard = {
  object_name = "庭の区画",      -- "Yard area"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    TerrainFactory = {
      terrain = {
        -- The ground on the stage's bottom, then the bank: a ramp up from the ground's end (on the
        -- home stage the player cannot jump, and the quest board stands up here), a step, a slope
        -- up and a top. One line, so a body walking onto the ramp meets no seam.
        { layerMask = TERRAIN_LAYER, cullingMask = TERRAIN_MEETS, x = 0, y = 0,
          polyline = { { x = 48, y = 512 }, { x = 560, y = 512 }, { x = 650, y = 420 }, { x = 760, y = 420 },
                       { x = 860, y = 340 }, { x = 976, y = 340 } } },
        -- The home camera stands still and shows x 32 to 992 of the stage's 1024: a fence post at
        -- each end keeps the player inside that, each facing the yard, 16 in from the view's edge,
        -- as a body running into a post passes it by up to a frame's run before it is put back
        -- (16 at 20 frames a second). Each is a line of its own reaching below the floor it
        -- stands on: a wall is met by a probe near the body's feet, which a long frame's fall
        -- takes below the floor before the floor puts the body back.
        { layerMask = TERRAIN_LAYER, cullingMask = TERRAIN_MEETS, x = 0, y = 0,
          polyline = { { x = 48, y = 400 }, { x = 48, y = 540 } } },
        { layerMask = TERRAIN_LAYER, cullingMask = TERRAIN_MEETS, x = 0, y = 0,
          polyline = { { x = 976, y = 380 }, { x = 976, y = 240 } } },
        -- A floating block: its top, its right side down, its underside (a ceiling, right to
        -- left), its left side up.
        { layerMask = TERRAIN_LAYER, cullingMask = TERRAIN_MEETS, x = 300, y = 200,
          polyline = { { x = 0, y = 0 }, { x = 120, y = 0 }, { x = 120, y = 30 }, { x = 0, y = 30 }, { x = 0, y = 0 } } },
      },
    },
    -- Decoration standing on the ground strips' top (Lua y 496): flowers, one of them by
    -- chance, a pebble, a few tufts of grass, and a banner once the meadow has been
    -- cleared (value kind 31: its clear count; compare 5: at least 1), else the signpost. Either
    -- stands on the bank's top (Lua y 340), clear of the training spot's dummy at the ramp's foot.
    LandscapeFactory = {
      manual = {
        { name = "land_Flower", position = { x = 60, y = 484 }, rate = 100 },
        { name = "land_Flower", position = { x = 250, y = 484 }, rate = 50 },
        { name = "land_Stone", position = { x = 540, y = 488 }, rate = 100 },
      },
      procedural = {
        { name = "land_Grass", position = { x = { min = 20, max = 580 }, y = 488 }, count = { min = 3, max = 5 } },
      },
      conditional = {
        {
          condition = { { { compare = 5, target = 31, type = Script.hash("quest_Meadow"), value = 1 } } },
          consequent = { name = "land_Banner", position = { x = 910, y = 308 }, rate = 100 },
          alternative = { name = "gameobj_signpost", position = { x = 910, y = 298 }, rate = 100 },
        },
      },
    },
  },
  -- Positions are from the area's centre, y up; the stage's bottom is y -256. A position table
  -- replaces the prototype's whole position, so each keeps its prototype's depth by naming it:
  -- a depth of 0 draws at the batch's default 1.0, in front of the UI.
  children = {
    { base_script = "prop_Ground", object_name = "庭の地面",  -- "Yard ground"
      components = { Transform = { position = { x = -212, y = -248, z = 20 }, scaling = { x = 9.375, y = 0.5 } } } },
    -- The terrain's other lines, each drawn where it runs: the bank under its ramp, step, slope
    -- and top (Lua x 560 to 992, y 340 to 512), the floating block, and the two fence posts
    -- (each on the outer side of its line).
    { base_script = "prop_Ground", object_name = "土手",  -- "Bank"
      components = { Transform = { position = { x = 264, y = -170, z = 21 } },
                     TextureAtlas = { atlasName = "terrain_home_bank" } } },
    { base_script = "prop_Ground", object_name = "浮き石",  -- "Floating block"
      components = { Transform = { position = { x = -152, y = 41, z = 20 } },
                     TextureAtlas = { atlasName = "terrain_block" } } },
    { base_script = "prop_Ground", object_name = "左の柵",  -- "Left fence post"
      components = { Transform = { position = { x = -470, y = -200, z = 19 }, scaling = { x = 1, y = 0.9333 } },
                     TextureAtlas = { atlasName = "prop_post" } } },
    { base_script = "prop_Ground", object_name = "右の柵",  -- "Right fence post"
      components = { Transform = { position = { x = 470, y = -34, z = 19 }, scaling = { x = 1, y = 0.8333 } },
                     TextureAtlas = { atlasName = "prop_post" } } },
    { base_script = "prop_Post", object_name = "杭",              -- "Post"
      components = { Transform = { position = { x = -346, y = -196, z = 10 } } } },
    { base_script = "prop_Ball", object_name = "まり",            -- "Ball"
      components = { Transform = { position = { x = -390, y = 60, z = 10 } } } },
    -- Crates fall to the yard's floor; bodies pass through the bank's slope, so none is dropped
    -- over the bank, where it would come to rest inside it.
    { base_script = "prop_Crate", object_name = "庭の木箱",       -- "Yard crate"
      components = { Transform = { position = { x = -242, y = -80, z = 10 } } } },
    { base_script = "prop_Crate", object_name = "木箱",           -- "Crate"
      components = { Transform = { position = { x = -400, y = -100, z = 10 } } } },
    { base_script = "prop_Crate", object_name = "奥の木箱",       -- "Far crate"
      components = { Transform = { position = { x = -150, y = -60, z = 10 } } } },
    { base_script = "prop_Comet",
      components = { Transform = { position = { x = -300, y = 180, z = 6 } } } },
  },
}
