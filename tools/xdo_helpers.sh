# Window automation shared by the screenshot tools (sourced). Positions are in
# twips inside a window, 15 twips per pixel. There is no window manager on the
# virtual display, so a window is raised before it is clicked.

# The first visible window with exactly this title.
window() { xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1; }

# Moves the pointer to a point of a window.
point_at() {
    local id=$1 x=$(( $2 / 15 )) y=$(( $3 / 15 ))
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
    xdotool type --delay 30 "$4"
}
