-- On quest stages: the companion's remarks play by themselves in her talk window as soon as
-- one is queued (no collider, no button), each line moving on after a few seconds.
gimmick_ImmediateTalk = {
  object_name = "その場の会話",  -- "Talk in the moment"
  object_layer = LAYER_TALK,
  object_activity = ACTIVE,
  components = {
    Transform = {},
    GimmickTalkMessage = {
      talk_window = "ui_lisvet_window",
      message_type = "ImmediateLisvet",
      open_pad = 0,
      auto_display_time = 2.5,
    },
  },
}
