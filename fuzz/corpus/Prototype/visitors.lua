stage_F = { object_name = 'stage', object_activity = 1, object_layer = 1,
  components = { Transform = {}, QuestController = {}, MusicPlayer = { name = 'm' } },
  children = { { base_script = 'area_F' }, { base_script = 'area_G' } } }
area_F = { object_name = 'ev', object_activity = 1, object_layer = 1,
  components = { Transform = {}, OskelController = { x = 1 } },
  children = {
    { base_script = 'terrain_template', object_tag = 'Oskel', object_layer = 32,
      components = { StatusParameter = { health = { init = 0 } }, HealthController = {},
        EnemyController = { initState = 'a', stateMachine = { a = {} } } } },
    { base_script = 'terrain_template', object_tag = 'x',
      children = { { base_script = 'terrain_template', object_tag = 'LiberatedOskel', object_layer = 32,
        components = { StatusParameter = { health = { init = 0 }, experience = { init = 1e38 } },
          HealthController = {}, EnemyController = {} } } } } } }
area_G = { object_name = 's', object_tag = 'Enemy', object_activity = 1, object_layer = 32,
  components = { Transform = {}, Kinematics = { useSteering = 1 }, CircleCollider = { radius = 5 },
    StatusParameter = { health = { init = 5 } }, HealthController = {},
    StrangerController = { themeSong = 'q', duration = { 1/0, 0/0 }, extraExp = { -1e38, 1e38 }, exitState = 'gone' },
    EnemyController = { initState = 'a', stateMachine = { a = {}, gone = {} } },
    GimmickOpenMenu = { open_menu_name = 'ui_quest_select', open_pad = -1 },
    GimmickActivateObject = { target = 'Oskel', target_offset = { x = 1/0, y = 0/0 }, only_overlap = 1, layer_mask = -1 },
    GimmickObjectName = { display_time = 0/0, is_other = 1, is_collision_stay = 1 },
    GimmickTalkMessage = { talk_window = 'ui_lisvet_window', message_type = 'ImmediateLisvet', open_pad = 0,
      character_display_time = -1, auto_display_time = 1/0, random_texts = { 'a', 5, {}, '' } } },
  children = { { base_script = 'terrain_template',
    components = { StrangerController = { duration = 'x', extraExp = { 'a' } },
      GimmickTalkMessage = { random_texts = 'nope' } } } } }
terrain_template = { object_tag = 'Terrain', object_activity = 1, object_layer = 4, components = { Transform = {} } }
