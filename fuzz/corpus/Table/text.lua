text_F = {
  attacked_health_1 = { "危ない！回復して！" },
  attacked_health_2 = { "無理しないで" },
  attacked_health_3 = { "痛そう……" },
  attacked_health_4 = { "まだ平気だね", "かすり傷だよ" },
  combo_50 = { "50コンボ！" },
  over_kill = { "もう倒れてるよ" },
  dead = { "立って！" },
  target_obliterate = { "全部倒した！" },
  long_wait = { "どうしたの？" },
}
