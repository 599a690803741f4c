#!/usr/bin/env python3
# One spell of a fight for scripts/tour, as a player at the keyboard: looks at the game's window
# (ImageMagick's import) for the player's blue shirt and the slimes' green, red or (hurt) pink
# bodies, the wisps' teal and the master's purple on the ground's band, runs to the nearest,
# jumping when he gets no nearer, and swings chains
# of attacks at it as the gameplay driver of the tests does; with none in sight, runs on
# (mostly right, where the stages lead), jumping over banks. Keys go in by xdotool.
#   tour-fight.py WINDOW SECONDS SAVE [STATE]: plays until SECONDS have passed (exit 1), or the
#   report comes up or the file SAVE is written (exit 0: the player has come home, cleared or
#   beaten). STATE, a file, carries the way he searches from one spell to the next.
import subprocess, sys, time
win, seconds, save = sys.argv[1], float(sys.argv[2]), sys.argv[3]
import os
def stamp():
    try:
        return os.stat(save).st_mtime_ns
    except OSError:
        return 0
first = stamp()
Y0, H = 250, 290  # strip of the window where fighters stand
def grab():
    ppm = subprocess.run(["import", "-window", win, "-crop", f"960x{H}+0+{Y0}", "+repage", "-depth", "8", "ppm:-"],
                         capture_output=True).stdout
    # header: P6\nW H\n255\n
    parts = ppm.split(b"\n", 3)
    w, h = map(int, parts[1].split())
    return w, h, parts[3]
def near(p, c, t=28):
    return abs(p[0]-c[0]) <= t and abs(p[1]-c[1]) <= t and abs(p[2]-c[2]) <= t
BLUE=(0x3d,0x6f,0xd9); PALE=(0x74,0x98,0xe0); GREEN=(0x5d,0xaa,0x4f); RED=(0xd9,0x48,0x3b); PINK=(0xe8,0x7f,0xb0)
# The cave's wisps and its master's armour.
TEAL=(0x3b,0xa3,0xa3); PURPLE=(0x8a,0x55,0xc7)
peeks = os.environ.get("QM_TOUR_PEEKS")
def look():
    if peeks:
        subprocess.run(["import", "-window", win, os.path.join(peeks, "peek-%d.png" % (time.time() * 10))])
    w, h, d = grab()
    at = lambda x, y: d[(y*w+x)*3:(y*w+x)*3+3]
    # The report's orange title plate and its panel (as the tour looks for them).
    if near(at(244, 270-Y0), (0xf0,0x8a,0x24), 24) and near(at(480, 300-Y0), (0x33,0x40,0x5b), 14):
        sys.exit(0)
    blue = {}; foe = {}
    for y in range(0, h, 3):
        row = y*w*3
        for x in range(0, w, 3):
            p = d[row+3*x:row+3*x+3]
            if near(p, BLUE) or near(p, PALE, 8): blue[x] = blue.get(x, 0)+1
            elif near(p, GREEN) or near(p, RED) or near(p, PINK) or near(p, TEAL, 20) or near(p, PURPLE, 20): foe[x] = foe.get(x, 0)+1
    px = None
    if blue:
        cols = [x for x, n in blue.items() if n >= 2]
        if cols: px = sum(cols)/len(cols)
    # a blob is a thick column of its colour (40 px tall); the grass line, its tufts, the scarf and
    # the flowers are thin or small
    fx = [x for x, n in foe.items() if n >= 7 and (px is None or abs(x-px) > 14)]
    return px, fx
def key(action, k): subprocess.run(["xdotool", action, k])
def hold(k, s):
    key("keydown", k); time.sleep(s); key("keyup", k)
def report_now():
    # Two pixels of the report (its title plate and its panel) from one small grab.
    ppm = subprocess.run(["import", "-window", win, "-crop", "237x31+244+270", "+repage", "-depth", "8", "ppm:-"],
                         capture_output=True).stdout
    parts = ppm.split(b"\n", 3)
    if len(parts) < 4:
        return False
    w = int(parts[1].split()[0]); d = parts[3]
    at = lambda x, y: d[(y*w+x)*3:(y*w+x)*3+3]
    return near(at(0, 0), (0xf0,0x8a,0x24), 24) and near(at(236, 30), (0x33,0x40,0x5b), 14)
def jump(s):
    # Jump is pad B, which also closes the report: a jump is never pressed while the report is up,
    # or the report would close before the tour sees it.
    if report_now():
        key("keyup", "Left"); key("keyup", "Right")
        sys.exit(0)
    hold("l", s)
end = time.time() + seconds
lastdx = None; empty = 0; n = 0; heading = "Right"; still = 0; lastpx = 480
# The search's way and how long nothing has been seen, kept between spells: a foe left behind is
# found by turning back after a while, which a search restarted rightwards every spell never does.
state = sys.argv[4] if len(sys.argv) > 4 else None
try:
    heading, empty = open(state).read().split()
    empty = int(empty)
except (TypeError, OSError, ValueError):
    heading, empty = "Right", 0
def keep():
    if state:
        with open(state, "w") as f:
            f.write(f"{heading} {empty}")
while time.time() < end:
    n += 1
    if stamp() != first:
        sys.exit(0)
    px, fx = look()
    seen = px is not None
    if not seen:
        px = 480  # hidden for a moment (or above the band): the camera keeps him about the middle
    if not fx:
        empty += 1
        # At an end of the stage the camera stops and he walks to the window's edge: turn back.
        # Off the middle and going nowhere for a few runs is a wall at an end, too.
        if seen:
            still = still + 1 if abs(px - 480) > 100 and abs(px - lastpx) < 4 else 0
            lastpx = px
        if px > 900 or (still >= 3 and px > 480): heading = "Left"; still = 0
        elif px < 60 or (still >= 3 and px < 480): heading = "Right"; still = 0
        # Nothing seen for a long way (a wall in the middle of the view looks the same as
        # running on): turn back.
        elif empty % 30 == 0: heading = "Left" if heading == "Right" else "Right"
        keep()
        way = heading
        # The camera follows him, so the screen does not tell whether he got anywhere: jump on
        # every run, over whatever bank stands in the way.
        key("keydown", way); time.sleep(0.2); jump(0.35)
        key("keyup", way); lastdx = None
        print(f"peek {n}: player {px:.0f}, none, {way}", file=sys.stderr)
        continue
    empty = 0
    keep()
    fx.sort(key=lambda x: abs(x-px)); dx = fx[0]-px
    way = "Right" if dx > 0 else "Left"
    print(f"peek {n}: player {px:.0f}, foe {fx[0]} ({len(fx)} cols)", file=sys.stderr)
    if abs(dx) > 56:
        key("keydown", way); time.sleep(min(0.4, abs(dx)/900))
        # No nearer than the last look: something stands in the way.
        if lastdx is not None and abs(dx) >= abs(lastdx) - 4: jump(0.35)
        key("keyup", way); lastdx = dx
    else:
        lastdx = None
        # A chain as the pad driver swings it: the way and attack together, about twelve a second.
        for i in range(6):
            key("keydown", way); key("keydown", "j"); time.sleep(0.03)
            key("keyup", "j"); key("keyup", way); time.sleep(0.05)
        # Then a hop back out of its bite, as a player does when the chain runs out; it comes on
        # and meets the next chain.
        back = "Left" if way == "Right" else "Right"
        key("keydown", back); jump(0.25); key("keyup", back)
sys.exit(1)
