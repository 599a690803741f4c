-- The title stage, the first the game builds: the logo movie, the opening, then the title movie
-- under the title menu. The root sits on the stage layer so that it keeps running once a choice
-- has taken the menus' layer out of the update mask.
stage_TitleScene = {
  object_name = "タイトル画面",  -- "Title screen"
  object_tag = "Stage",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    TitleController = {
      logoMovie = "assets.v1/movies/logo",
      openingMovie = "assets.v1/movies/opening",
      titleMovie = "assets.v1/movies/title",
      logoBgm = "assets.v1/sounds/bgm/logo",
      openingBgm = "assets.v1/sounds/bgm/opening",
      -- Read and not played: the opening's music goes on under the title menu.
      titleBgm = "assets.v1/sounds/bgm/title",
    },
    -- Behind the menus, from the screen's top left.
    MovieRenderer = { frameBufferCount = 4, position = { x = 0, y = 0, z = 50 } },
  },
  -- Built last entry first: the screen camera, then the UI tree.
  children = {
    { base_script = "ui_root_title" },
    { base_script = "ui_camera" },
  },
}
