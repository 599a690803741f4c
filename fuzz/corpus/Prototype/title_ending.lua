stage_F = { object_name = 'stage', object_activity = 1, object_layer = 1,
  components = { Transform = {},
    TitleController = { logoMovie = 'assets.v1/movies/none', openingMovie = 7, titleMovie = '',
      logoBgm = 'assets.v1/sounds/bgm/none', openingBgm = {}, titleBgm = 0/0 },
    MovieRenderer = { frameBufferCount = 2 } },
  children = { { base_script = 'area_F' }, { base_script = 'area_G' } } }
area_F = { object_name = 'ending', object_activity = 1, object_layer = 1,
  components = { Transform = {},
    EndingController = { { title = 'assets.v1/movies/none', bgm = 'x', prevFade = -1, se = 'y' },
      { bgm = '', prevFade = 0/0 }, 'not a page', { se = 5, prevFade = 1e38 }, [9] = {} } } }
area_G = { object_name = 'empty ending', object_activity = 1, object_layer = 1,
  components = { Transform = {}, EndingController = {} } }
