-- The companion's remarks, one list per talk key; one line of a list is picked at random.
-- "$helth", "$enemy", "$item" and "$combo" are placeholders the game leaves out of the line.
-- A line wider than the quest stages' narrow talk window (about ten wide characters) is broken.
talk_lisvet = {
  attacked_health_1 = { "危ない！回復して！" },          -- "Danger! Heal up!"
  attacked_health_2 = { "無理しないで" },                -- "Don't push it"
  attacked_health_3 = { "痛そう……" },                   -- "That looked painful..."
  attacked_health_4 = { "まだ平気だね", "かすり傷だよ" }, -- "Still fine", "Just a scratch"
  take_heal_item_0 = { "間に合った……" },                -- "Just in time..."
  take_heal_item_1 = { "まだ足りないよ" },              -- "Still not enough"
  take_heal_item_2 = { "少し楽になった？" },            -- "Feeling a bit better?"
  take_heal_item_3 = { "よし、その調子" },              -- "Good, keep it up"
  take_heal_item_4 = { "ほとんど元通りだね" },          -- "Almost back to normal"
  take_heal_item_5 = { "元気いっぱい！" },              -- "Full of energy!"
  combo_50 = { "50コンボ！" },                           -- "50 combo!"
  combo_100 = { "100コンボ！すごい！" },                 -- "100 combo! Amazing!"
  combo_150 = { "150コンボ！" },                         -- "150 combo!"
  combo_200 = { "200コンボ！\n止まらないね" },           -- "200 combo! Unstoppable"
  combo_500 = { "500コンボ！？" },                       -- "500 combo!?"
  combo_999 = { "999コンボ……\nもう数えられない" },       -- "999 combo... can't count any more"
  over_kill = { "もう倒れてるよ", "$enemyはもう動かないよ" }, -- "It's already down", "$enemy won't move any more"
  dead = { "立って！" },                                 -- "Get up!"
  target_obliterate = { "全部倒した！" },                -- "Got them all!"
  any_enemy_obliterate = { "$combo どんどんいこう！" },  -- "Keep going!"
  attack_lisvet = { "いくよ！" },                        -- "Here I go!"
  barge_in_ilvane = { "誰か来る……" },                   -- "Someone's coming..."
  bow_out_ilvane = { "行っちゃった" },                   -- "They left"
  long_wait = { "どうしたの？", "$helth 休憩中？" },     -- "What's wrong?", "Taking a break?"
  -- The enemies' "attackedMessage" keys.
  enemy_slime_bite = { "スライムにかまれた！" },         -- "The slime bit you!"
  enemy_bat_bite = { "コウモリに気をつけて" },           -- "Watch out for the bat"
  -- The items' "takeMessage" keys.
  take_heart = { "ハートだ！" },                         -- "A heart!"
  take_herb = { "薬草でじわじわ回復" },                  -- "The herb heals little by little"
}
