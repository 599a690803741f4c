-- The companion's remarks, one list per talk key; one line of a list is picked at random.
talk_lisvet = {
  attacked_health_1 = { "危ない！回復して！" },          -- "Danger! Heal up!"
  attacked_health_2 = { "無理しないで" },                -- "Don't push it"
  attacked_health_3 = { "痛そう……" },                   -- "That looked painful..."
  attacked_health_4 = { "まだ平気だね", "かすり傷だよ" }, -- "Still fine", "Just a scratch"
  combo_50 = { "50コンボ！" },                           -- "50 combo!"
  over_kill = { "もう倒れてるよ" },                      -- "It's already down"
  dead = { "立って！" },                                 -- "Get up!"
  target_obliterate = { "全部倒した！" },                -- "Got them all!"
  long_wait = { "どうしたの？" },                        -- "What's wrong?"
}
