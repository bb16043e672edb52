#!/usr/bin/env bash
# Screenshots of the result viewers on a virtual display: runs the default
# case in a scratch working directory, starts korvana there under Xvfb, opens
# the result browser, loads default.data, plots the primary and three
# scattered spectra, computes the air kerma behind 0.5 mm of lead, and shows
# the map (with the pointer over it), the geometry window, the eye lens dose
# with 0.07 mm glasses and its workload panel (P_KA 50 Gy cm2, 500 procedures
# a year, eyes at x = 60 cm, z = -30 cm), again without glasses, and the
# conversion factor window; one PNG per window.
# usage: tools/screenshot_results.sh [--size WxH] [OUT_DIR] [BUILD_DIR]
#        (defaults: a 1600x1000 screen, screenshots/ and build/); at a small
#        size such as 1366x768 each window is shot as the screen shows it.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure_packages.sh
source tools/xdo_helpers.sh
parse_screen_size 1600x1000 "$@"
set -- "${SCREEN_ARGS[@]+"${SCREEN_ARGS[@]}"}"
korvana_ensure_packages "${KORVANA_BUILD_PACKAGES[@]}" "${KORVANA_SCREENSHOT_PACKAGES[@]}"
build=$(realpath -m "${2:-build}")
[ -x "$build/app/forms/korvana" ] || { build=$(realpath -m build); korvana_build Release; }

out=$(realpath -m "${1:-screenshots}")
mkdir -p "$out"

if [ "${KORVANA_SCREENSHOT_INNER:-}" != 1 ]; then
    export KORVANA_SCREENSHOT_INNER=1
    exec xvfb-run -a -s "-screen 0 ${SCREEN_SIZE}x24" "$0" "$out" "$build"
fi

work=$(mktemp -d /tmp/korvana-result-shots-XXXXXX)
trap 'rm -rf "$work"' EXIT
tools/layout_work.sh "$build" "$work"
tools/default_case.sh "$work" >/dev/null
cd "$work"
# korvana's remembered inputs start empty, whatever the user's own session kept.
export XDG_CONFIG_HOME="$work/config"
./korvana >korvana.out 2>&1 &
korvana_pid=$!
trap 'kill "$korvana_pid" 2>/dev/null || true; rm -rf "$work"' EXIT

# One window, raised first (there is no window manager).
shot() {
    unclamp_window "$2"
    xdotool windowraise "$2"
    sleep 0.7
    import -window "$2" "$out/$1.png"
    echo "saved $out/$1.png"
}

form2=$(window Korvana)
sleep 1
click "$form2" 11947 9787            # Command2: result browser
form1=$(window "Side Scattered X-ray Spectrum")
click "$form1" 1500 640              # File1: default.data, the only result file
click "$form1" 780 3840              # Command11: OK
click "$form1" 5900 9000             # Command5: primary spectrum
type_into "$form1" 9300 9540 45      # Combo1
click "$form1" 5900 9600             # Command6: 45 degrees in red
click "$form1" 11950 9360            # Option2: blue
type_into "$form1" 9300 9540 90
click "$form1" 5900 9600             # 90 degrees in blue
click "$form1" 12950 9360            # Option3: green
type_into "$form1" 9300 9540 135
click "$form1" 5900 9600             # 135 degrees in green
type_into "$form1" 20750 2415 0.5    # Text5: 0.5 mm of lead
click "$form1" 21855 2415            # Command8
shot 11-result-browser "$form1"

click "$form1" 19950 7200            # Command1: the map
form3=$(window "Air kerma distribution")
point_at "$form3" 8130 5055          # the pointer at x = 120 cm, z = -50 cm
shot 12-kerma-map "$form3"

click "$form1" 16297 9000            # Command10: geometry
shot 13-geometry "$(window Geometry)"

click "$form1" 19950 6300            # Command2: eye lens dose
form5=$(window "Eye lens dose")
type_into "$form5" 3000 2130 0.07    # Combo2: glasses
click "$form5" 5610 1890             # Command1: OK
type_into "$form5" 9540 970 50       # Text30: P_KA per procedure [Gy cm2]
type_into "$form5" 12660 970 500     # Text31: procedures per year
click "$form5" 7300 1435             # Check2: at an eye position
type_into "$form5" 10300 1430 60     # Text32: x [cm]
type_into "$form5" 12000 1430 -30    # Text33: z [cm]
click "$form5" 14625 1180            # Command5: the annual table
shot 14-eye-lens-dose "$form5"
type_into "$form5" 3000 2130 0       # Combo2: no glasses; the annual table follows
shot 14a-eye-lens-dose-no-glasses "$form5"
click "$form5" 2340 7140             # Command2: conversion factor
shot 15-conversion-factor "$(window "  Air kerma to absorbed dose at 3 mm in depth")"
