-- The title's moving background, looping from the start, behind the logo and in front of the
-- sky; placed in screen pixels from the top left, it shows in the top right quarter.
title_Movie = {
  object_name = "タイトル動画",  -- "Title movie"
  object_tag = "TitleMovie",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    MovieRenderer = {
      title = "assets.v1/movies/title",
      frameBufferCount = 4,
      autoPlay = true,
      loopPlay = true,
      position = { x = 480, y = -270, z = 50 },
    },
  },
}
