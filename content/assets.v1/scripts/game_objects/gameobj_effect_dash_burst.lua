-- The burst behind a dash.
gameobj_effect_dash_burst = {
  object_name = "ダッシュ",  -- "Dash"
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = { position = { z = 6 } }, EffectController = {} },
  children = { { base_script = "gameobj_effect_smoke_puff" }, { base_script = "gameobj_effect_flash" } },
}
