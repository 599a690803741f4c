-- The ending, reached when the boss falls: three short pages, then the save and the title.
-- Nothing here follows a camera: the movies are placed in screen pixels.
stage_Ending = {
  object_name = "エンディング",  -- "Ending"
  object_tag = "Stage",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    -- Pages in order: "title" the movie, "bgm" its music (none: the old music fades over
    -- "prevFade" seconds), "se" a sound effect (none: the previous one stops).
    EndingController = {
      { title = "assets.v1/movies/ending1", bgm = "assets.v1/sounds/bgm/ending", prevFade = 0.5 },
      { title = "assets.v1/movies/ending2", bgm = "assets.v1/sounds/bgm/ending", prevFade = 0.5,
        se = "assets.v1/sounds/se/jingle_last_battle_end" },
      { title = "assets.v1/movies/ending3", prevFade = 1.0 },
    },
    -- The 480 x 270 pages centred on the 960 x 540 screen, at a depth the movie's projection
    -- keeps (0.1 to 100; z left out would be 0, in front of it, and nothing would show).
    MovieRenderer = { frameBufferCount = 4, position = { x = 240, y = 135, z = 50 } },
  },
}
