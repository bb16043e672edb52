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

# Moves the pointer to a point of a window.
point_at() {
    local id=$1 x=$(( $2 / 15 )) y=$(( $3 / 15 ))
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
