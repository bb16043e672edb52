#!/usr/bin/env bash
# Screenshots of korvana's windows on a virtual display: starts korvana in a
# scratch working directory under Xvfb, walks through the main form, the
# curtain message, the spectrum window, the HVL results, the launch dialog
# with the engine's terminal and the runs panel during and after the run,
# the result browser opened from the panel's notice, the geometry window,
# the live estimate (alone and with a pinned comparison, closed by Escape), the
# room panel with a shield and an eye point and the live estimate in that room, and
# the launch dialog's questions before a run of another spectrum and before a
# result is replaced, and saves one PNG per step. --size sets the virtual screen (default 1400x900), to
# see the windows as on a laptop (1366x768) or a full-HD screen (1920x1080).
# usage: tools/screenshot.sh [--size WxH] [OUT_DIR]   (default: screenshots/)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure_packages.sh
source tools/xdo_helpers.sh
parse_screen_size 1400x900 "$@"
set -- "${SCREEN_ARGS[@]+"${SCREEN_ARGS[@]}"}"
korvana_ensure_packages "${KORVANA_BUILD_PACKAGES[@]}" "${KORVANA_SCREENSHOT_PACKAGES[@]}"
[ -x build/app/forms/korvana ] || korvana_build Release

out=$(realpath -m "${1:-screenshots}")
mkdir -p "$out"
if [ "${KORVANA_SCREENSHOT_INNER:-}" != 1 ]; then
    export KORVANA_SCREENSHOT_INNER=1
    exec xvfb-run -a -s "-screen 0 ${SCREEN_SIZE}x24" "$0" "$out"
fi

# Made only in the run under Xvfb, which removes it at its end.
work=$(mktemp -d /tmp/korvana-shots-XXXXXX)
trap 'rm -rf "$work"' EXIT
tools/layout_work.sh build "$work"

cd "$work"
./korvana >korvana.out 2>&1 &
korvana_pid=$!
trap 'kill "$korvana_pid" 2>/dev/null || true; rm -rf "$work"' EXIT

# The whole screen, every window back at its own size and place.
shot() {
    local id
    for id in "${!KORVANA_CLAMPED_GEOMETRY[@]}"; do unclamp_window "$id"; done
    sleep 0.7
    import -window root "$out/$1.png"
    echo "saved $out/$1.png"
}
# The message box: the smaller of the visible windows titled Korvana. There is
# no window manager, so it is raised and given the keyboard focus by hand.
message_box() {
    local id
    for id in $(xdotool search --onlyvisible --name '^Korvana$'); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        [ "$WIDTH" -lt 1000 ] && { echo "$id"; return; }
    done
}
raise_message() {
    local id; id=$(message_box)
    [ -n "$id" ] && xdotool windowraise "$id" windowfocus "$id"
    sleep 0.3
}
# Presses Enter in the message box.
close_message() { raise_message; xdotool key Return; sleep 0.5; }

form2=$(window Korvana)
sleep 1
shot 01-main-form

click "$form2" 4687 10207            # Command3 with the defaults: curtain message
shot 02-curtain-message
close_message

click "$form2" 4687 9367             # Command1: spectrum, tavisen, Form6
form6=$(window "Incident X-ray spectrum")
shot 03-incident-spectrum
sleep 1
click "$form6" 4447 6847             # OK: HVL results into Form2
shot 04-main-form-with-hvl

type_into "$form2" 16200 7980 0.35   # Text8
type_into "$form2" 16200 8460 60     # Text12
click "$form2" 4687 10207            # Command3: Form12
form12=$(window "Monte Carlo simulation")
type_into "$form12" 3800 2490 shot   # Text2, the result name
type_into "$form12" 5700 1290 10000000 # Text1, histories: long enough to watch
shot 05-launch-dialog
click "$form12" 2047 3427            # Command1: B2F.txt, lumetrel in xterm, message
sleep 2
raise_message
shot 06-engine-started
close_message
[ -f B2F.txt ] && echo "B2F.txt:" && cat -A B2F.txt
runs=$(window "計算の進行状況")      # the runs panel opens with the start

# The engine's terminal: Enter starts the histories; the result file appears
# when they are done, and a second Enter ends the engine. The runs panel
# follows it through shot.log.
engine=$( (xdotool search --onlyvisible --class xterm; xdotool search --onlyvisible --name lumetrel) 2>/dev/null | head -n 1 || true)
if [ -n "$engine" ]; then
    xdotool windowraise "$engine" windowfocus "$engine"
    sleep 0.3
    xdotool key Return
    sleep 8
    xdotool windowraise "$runs"
    shot 06a-runs-panel-running
    for _ in $(seq 600); do [ -f shot.data ] && break; sleep 0.5; done
    sleep 2
    shot 06b-engine-finished
    xdotool windowraise "$runs"
    shot 06c-runs-panel-finished
    xdotool windowfocus "$engine"
    xdotool key Return
fi

if [ -f shot.data ]; then
    click "$runs" 1320 4290          # the notice's 結果を開く: the browser on shot.data
else
    click "$form2" 11947 9787        # Command2: result browser
fi
form1=$(window "Side Scattered X-ray Spectrum")
shot 07-result-browser
click "$form1" 16297 9000            # Command10: geometry window
form4=$(window Geometry)
shot 08-geometry

click "$form4" 10927 7927            # Command1: Close

click "$form1" 3660 3840             # Command3: back to the main form
# The live window from the main form's entries (0.35 mm, 60 cm), then with
# L = 10 cm (at 60 cm the curtain's edge is above every path from the object
# to the points, so its lead changes nothing) that state pinned and the
# curtain made 1 mm thick beside it.
click "$form2" 15660 9607            # Command5: 即時見積もり
form13=$(window "即時見積もり")
sleep 4
shot 09-live-estimate
type_into "$form13" 3210 4920 10     # Text11: curtain length 10 cm
sleep 4
click "$form13" 1440 8400            # Command1: pin for comparison
type_into "$form13" 3210 4500 1      # Text10: curtain lead equivalent 1 mm
sleep 5
shot 10-live-estimate-pinned
xdotool windowfocus "$form13"; xdotool key Escape; sleep 0.5   # Escape closes it
xdotool search --onlyvisible --name "^即時見積もり\$" >/dev/null &&
    { echo "the live window stayed open at Escape" >&2; exit 1; }

# The room: a ceiling shield and an operator's eye added in the room panel,
# then the live window in that room and with the shield moved away from the
# object, its side view drawing both to scale.
click "$form2" 5820 3570             # Command9: 部屋の配置
room=$(window "部屋の配置")
click "$room" 1320 2610              # Command1: a shield
click "$room" 1320 7350              # Command3: an eye point
shot 10a-room-panel
click "$room" 12120 8400             # Command5: close
click "$form2" 15660 9607            # Command5: 即時見積もり in the room
form13=$(window "即時見積もり")
sleep 4
shot 10b-live-estimate-room
type_into "$form13" 9870 4440 80     # Text15: the shield's x
sleep 4
shot 10c-live-estimate-shield-moved
xdotool windowfocus "$form13"; xdotool key Escape; sleep 0.5

# A run whose spectrum is not the main form's: 100 kV typed after step (4)
# at 80 kV. The start asks (No, the default, starts nothing); with 80 kV again
# and the name of the finished run it asks before replacing shot.data.
type_into "$form2" 7087 6180 100     # Text1: 100 kV, no step (4)
click "$form2" 4687 10207            # Command3: Form12
form12=$(window "Monte Carlo simulation")
click "$form12" 2047 3427            # Command1: the spectrum question
raise_message
shot 11-spectrum-question
close_message
type_into "$form2" 7087 6180 80      # Text1: back to the spectrum's 80 kV
type_into "$form12" 3800 2490 shot   # Text2: the finished run's name
click "$form12" 2047 3427            # Command1
if [ -f shot.data ]; then
    raise_message
    shot 12-replace-question
    close_message
fi
click "$form12" 5647 3427            # Command2: cancel

click "$form2" 17805 9937            # Command4: Exit deletes the work files and ends
for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$korvana_pid" 2>/dev/null || break; sleep 0.5; done
if kill -0 "$korvana_pid" 2>/dev/null; then echo "korvana did not end at Exit" >&2; exit 1; fi
ls B2F.txt HVL_S2.dat B_SPCTL.dat B2F.scene.json 2>/dev/null && { echo "work files left after Exit" >&2; exit 1; }
echo "korvana ended at Exit; work files deleted; result files: $(ls ./*.data 2>/dev/null || true)"
