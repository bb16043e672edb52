# Window automation shared by the screenshot tools (sourced). Positions are in
# twips inside a window's designed area, 15 twips per pixel. There is no
# window manager on the virtual display, so a window is raised before it is
# clicked.
#
# On a screen smaller than a window, the window opens clamped to the screen
# and scrolls. A point beyond its visible part is brought into reach by
# enlarging the window (which then needs no scrolling) and moving it so that
# the point lies on the screen; unclamp_window puts it back before a shot.

declare -A KORVANA_CLAMPED_GEOMETRY=()

# Screen size of the display in use, in pixels.
screen_size() { xdotool getdisplaygeometry; }

# Parses "--size WxH" out of the arguments: sets SCREEN_SIZE (default $1) and
# SCREEN_ARGS (the other arguments).
parse_screen_size() {
    SCREEN_SIZE=$1
    shift
    SCREEN_ARGS=()
    while [ $# -gt 0 ]; do
        case $1 in
            --size) SCREEN_SIZE=${2:-}; shift 2 || shift ;;
            --size=*) SCREEN_SIZE=${1#--size=}; shift ;;
            *) SCREEN_ARGS+=("$1"); shift ;;
        esac
    done
    if ! [[ $SCREEN_SIZE =~ ^[0-9]+x[0-9]+$ ]]; then
        echo "--size takes WIDTHxHEIGHT in pixels, e.g. --size 1366x768" >&2
        exit 2
    fi
}

# The first visible window with exactly this title.
window() { xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1; }

# Makes a point (pixels inside the designed area) of a window reachable.
reach() {
    local id=$1 x=$2 y=$3 screen_w screen_h
    read -r screen_w screen_h < <(screen_size)
    eval "$(xdotool getwindowgeometry --shell "$id")"
    if [ $((x + 30)) -lt "$WIDTH" ] && [ $((y + 30)) -lt "$HEIGHT" ] &&
        [ $((X + x)) -lt "$screen_w" ] && [ $((Y + y)) -lt "$screen_h" ]; then
        return
    fi
    [ -n "${KORVANA_CLAMPED_GEOMETRY[$id]:-}" ] ||
        KORVANA_CLAMPED_GEOMETRY[$id]="$X $Y $WIDTH $HEIGHT"
    local width=$(( WIDTH > x + 60 ? WIDTH : x + 60 ))
    local height=$(( HEIGHT > y + 60 ? HEIGHT : y + 60 ))
    local left=$(( X < screen_w - 40 - x ? X : screen_w - 40 - x ))
    local top=$(( Y < screen_h - 40 - y ? Y : screen_h - 40 - y ))
    xdotool windowsize "$id" "$width" "$height" windowmove "$id" "$left" "$top"
    sleep 0.5
}

# Returns a window enlarged by reach to its size and place on the screen.
unclamp_window() {
    local geometry=${KORVANA_CLAMPED_GEOMETRY[$1]:-}
    [ -n "$geometry" ] || return 0
    local x y w h
    read -r x y w h <<<"$geometry"
    xdotool windowsize "$1" "$w" "$h" windowmove "$1" "$x" "$y"
    unset "KORVANA_CLAMPED_GEOMETRY[$1]"
    sleep 0.5
}

# Each window's designed size in twips, by title: korvana draws a window
# larger than the screen smaller (its display scale), and a point given in
# designed twips moves with it.
declare -A KORVANA_DESIGNED_TWIPS=(
    ["Korvana"]="18720 10920"
    ["Side Scattered X-ray Spectrum"]="22320 10200"
    ["Air kerma distribution"]="16650 13680"
    ["Geometry"]="12600 8400"
    ["Eye lens dose"]="$((6840 + 60 + 9000 + 120)) $((7740 + 2520 + 120))"
    ["Incident X-ray spectrum"]="11295 7440"
    ["  Air kerma to absorbed dose at 3 mm in depth"]="7440 5400"
    ["Monte Carlo simulation"]="7800 4680"
    ["即時見積もり"]="18600 9840"
    ["計算の進行状況"]="10200 4920"
    ["部屋の配置"]="13200 9000"
)

# The display scale of a window on this screen, as korvana chooses it: the
# scale that fits the screen with a typical frame, never below the one that
# fits 1280 x 720, and 1 when the window fits as designed.
window_scale() {
    local designed=${KORVANA_DESIGNED_TWIPS[$(xdotool getwindowname "$1")]:-}
    [ -n "$designed" ] || { echo 1; return; }
    local screen_w screen_h
    read -r screen_w screen_h < <(screen_size)
    awk -v d="$designed" -v sw="$screen_w" -v sh="$screen_h" 'BEGIN {
        split(d, t, " "); w = int(t[1] / 15 + 0.5); h = int(t[2] / 15 + 0.5)
        fit = 1; if ((sw - 8) / w < fit) fit = (sw - 8) / w; if ((sh - 34) / h < fit) fit = (sh - 34) / h
        least = 1; if (1272 / w < least) least = 1272 / w; if (686 / h < least) least = 686 / h
        print (fit > least ? fit : least) }'
}

# Moves the pointer to a point of a window.
point_at() {
    local scale
    scale=$(window_scale "$1")
    local id=$1 x y
    x=$(awk -v t="$2" -v s="$scale" 'BEGIN { print int(t * s / 15 + 0.5) }')
    y=$(awk -v t="$3" -v s="$scale" 'BEGIN { print int(t * s / 15 + 0.5) }')
    reach "$id" "$x" "$y"
    eval "$(xdotool getwindowgeometry --shell "$id")"
    xdotool mousemove $((X + x)) $((Y + y))
    sleep 0.5
}

# Raises a window and clicks at a point of it.
click() {
    xdotool windowraise "$1"
    sleep 0.2
    point_at "$1" "$2" "$3"
    xdotool click 1
    sleep 0.5
}

# Replaces the text of the box at a point.
type_into() {
    click "$1" "$2" "$3"
    xdotool key ctrl+a
    xdotool type --delay 30 -- "$4"  # "--": a text may start with "-"
}
