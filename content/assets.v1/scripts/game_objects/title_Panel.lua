-- A framed panel on the title screen: the sliced frame keeps its 8-pixel rim at any size, and a
-- gauge runs across it.
title_Panel = {
  object_name = "パネル",        -- "Panel"
  object_tag = "TitlePanel",
  object_layer = LAYER_MENU,
  object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 480, y = 150, z = 4 } },
    SlicedSpriteRenderer = {
      renderingCamera = "UICamera",
      size = { width = 420, height = 140 },
      border = { left = 8, right = 8, top = 8, bottom = 8 },
    },
    TextureAtlas = { atlasName = "ui_frame" },
  },
  children = { { base_script = "title_Gauge" } },
}
