#!/usr/bin/env bash
# Runs the programs on the validation cases and writes docs/validation.md with
# its plots in docs/validation/: half-value layers against SpekPy, Hp(3)/Ka over
# the ISO 4037 beams N-60 and N-80, the scatter fraction against NCRP 147,
# next-event against analog scoring on four conditions, air mu_en/rho against
# NIST, and the room: next-event against analog with shields and the table, a
# shield's transmission, and a ceiling shield's eye-lens reduction against
# published values. About 15 minutes on 2 cores after the build.
#
# usage: tools/validate.sh [--scale F] [--runs DIR]
#   Builds what it needs itself in build/ (the same cmake steps as ./run, only
#   the targets lumetrel, tavisen, korvana-spectrum and korvana-validate; an
#   existing ./run build is reused), then runs the cases in DIR (default
#   build/validation-run, emptied first). --scale F multiplies every engine
#   run's histories (default 1; 0.05 for a quick look, whose report is then
#   not the one to commit).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scale=1
runs=build/validation-run
while [ $# -gt 0 ]; do
    case $1 in
        --scale) scale=$2; shift 2 ;;
        --runs) runs=$2; shift 2 ;;
        -h|--help) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "validate.sh: unknown argument $1 (see --help)" >&2; exit 1 ;;
    esac
done

# The commit and state of the tree the programs are built from.
commit=$(git rev-parse --short=12 HEAD 2>/dev/null || echo unknown)
if [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
    commit="$commit (with uncommitted changes)"
fi
date=$(date -u +"%Y-%m-%d %H:%M UTC")

source tools/ensure_packages.sh
korvana_ensure_packages "${KORVANA_BUILD_PACKAGES[@]}"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target lumetrel tavisen korvana-spectrum korvana-validate

bin=$root/build/validation-bin
mkdir -p "$bin"
cp -f build/engine/lumetrel build/hvl/tavisen build/app/spectrum/korvana-spectrum \
      build/app/validation/korvana-validate "$bin/"
rm -rf "$runs"
mkdir -p "$runs"
runs=$(cd "$runs" && pwd)
data=$root/data
threads=$(nproc)
start=$(date +%s)

# A case folder with links to the shipped tables, as the programs read them
# from their working directory.
case_folder() {
    mkdir -p "$1"
    local table
    for table in ICRUSoft.dat MU_en2016.dat Pb.dat Aluminum.atc Tungsten.dat Copper.dat \
                 d-DperK.dDk; do
        ln -sf "$data/$table" "$1/$table"
    done
}

# spectrum DIR KV ANGLE INHERENT AL CU: B_SPCTL.dat and HVL_S2.dat in DIR.
spectrum() {
    local dir=$1
    case_folder "$dir"
    (cd "$dir" && "$bin/korvana-spectrum" --kv "$2" --angle "$3" --inherent "$4" --al "$5" \
        --cu "$6" --mode 1 >spectrum.log && "$bin/tavisen" </dev/null >tavisen.log)
}

# engine DIR NAME ESTIMATOR SEED THICKNESS FIELD PB_MM LENGTH HISTORIES [SCENE]:
# NAME.data and NAME.unc.csv in DIR (FSD 80 cm, a square field), from DIR's
# B_SPCTL.dat; with SCENE (a scene file in DIR) also NAME.scene.json and, when
# it has eye points, NAME.points.csv.
engine() {
    local dir=$1 name=$2 estimator=$3 seed=$4 histories
    histories=$(awk -v n="$9" -v s="$scale" 'BEGIN { printf "%.3E", n * s }')
    awk -v t="$5" -v f=80 -v y="$6" -v x="$6" -v pb="$7" -v l="$8" \
        'BEGIN { printf "%.1f\r\n%04.1f\r\n%.1f\r\n%.1f\r\n%.3f\r\n%04.1f\r\n", t, f, y, x, pb / 10, l }' \
        >"$dir/B2F.txt"
    printf '%s\r\n' "$histories" "$name.data" >>"$dir/B2F.txt"
    echo "  $(basename "$dir")/$name: $estimator, $histories histories"
    local scene=()
    if [ -n "${10:-}" ]; then
        scene=(--scene "${10}")
    fi
    (cd "$dir" && "$bin/lumetrel" --threads 0 --seed "$seed" --estimator "$estimator" \
        "${scene[@]}" </dev/null >"$name.log")
}

echo "Half-value layers (80 kV, 11 degree W anode)"
for al in 2.5 3.0 4.0; do
    spectrum "$runs/hvl/al$al" 80 11 "$al" 0 0
done

echo "ISO 4037 narrow series (20 degree W anode, 4 mm Al inherent)"
spectrum "$runs/iso/N-60" 60 20 4 0 0.6
spectrum "$runs/iso/N-80" 80 20 4 0 2.0

# History counts of one significant digit: the result file records them so.
# Analog scoring for the scatter fraction: the estimator whose disc points
# need no model of the angular distribution.
scatter_histories=1e8
echo "Scatter fraction (20 cm object, 25 x 25 cm, no curtain)"
for kv in 80 100; do
    spectrum "$runs/scatter/kv$kv" "$kv" 12 2.5 1.5 0
    engine "$runs/scatter/kv$kv" scatter analog 1 20 25 0 0 "$scatter_histories"
done

# Next-event against analog: each pair with different seeds, since both
# estimators follow the same transport from the same random numbers.
analog_seed=101
next_event_seed=202
echo "Next-event against analog"
compare() {
    local dir=$runs/compare/$1
    spectrum "$dir" "$2" 12 2.5 1.5 0
    engine "$dir" analog analog "$analog_seed" "$3" "$4" "$5" "$6" "$7"
    engine "$dir" next-event next-event "$next_event_seed" "$3" "$4" "$5" "$6" "$8"
}
#       name               kV  object field Pb   L   analog  next-event
compare 1-thin-1cm         80  1      30    0    0   2e8     1e7
compare 2-curtain-partly   80  20     25    0.35 10  1e8     6e6
compare 3-thick-120kV      120 30     30    0.5  0   1e8     4e6
compare 4-small-60kV       60  10     10    0    0   2e8     8e6

# The room: shields and the table, each scene run by both estimators as above
# (80 kV, a 20 cm object, 25 x 25 cm field, no curtain), each scene with seeds
# of its own so that the scenes' comparisons are independent of each other.
# The partly covering shield stands between two grid columns (x = 60 and
# 65 cm): a disc lying in a shield's own plane is neither in front of it nor
# behind it.
echo "Rooms: next-event against analog with shields and the table"
room_compare() {
    local dir=$runs/rooms/compare/$1
    spectrum "$dir" 80 12 2.5 1.5 0
    printf '%s\n' "$2" >"$dir/room.json"
    engine "$dir" analog analog "$5" 20 25 0 0 "$3" room.json
    engine "$dir" next-event next-event "$6" 20 25 0 0 "$4" room.json
}
room_compare 1-shield-partly \
    '{"version": 1, "shields": [{"name": "lower half", "lead_mm": 0.5, "centre_cm": [62, 0, -30], "width_cm": 200, "height_cm": 60}]}' \
    2e8 5e6 111 211
room_compare 2-shield-tilted \
    '{"version": 1, "shields": [{"name": "tilted", "lead_mm": 0.35, "centre_cm": [60, 0, -20], "width_cm": 200, "height_cm": 80, "tilt_deg": 30}]}' \
    2e8 5e6 121 221
room_compare 3-table-exit \
    '{"version": 1, "table": {"al_equivalent_mm": 1.2, "side": "exit", "width_cm": 50}}' \
    2e8 5e6 131 231

# One next-event run without a shield (with the operator's eye point) and the
# same run, same seed, behind a shield covering all the 90 degree point sees,
# and behind a ceiling shield between the eye point and the object: with the
# same seed the transport is the same and only the shield differs, so the
# ratios carry little noise.
echo "Rooms: a shield's transmission and a ceiling shield's eye-lens reduction"
shield_seed=303
shielding=$runs/rooms/shielding
spectrum "$shielding" 80 12 2.5 1.5 0
eye='"eye_points": [{"name": "operator", "position_cm": [60, 0, -40]}]'
printf '%s\n' "{\"version\": 1, $eye}" >"$shielding/open.json"
printf '%s\n' '{"version": 1, "shields": [{"name": "full cover", "lead_mm": 0.25, "centre_cm": [60, 0, 0], "width_cm": 400, "height_cm": 400}]}' \
    >"$shielding/full-cover.json"
printf '%s\n' "{\"version\": 1, \"shields\": [{\"name\": \"ceiling\", \"lead_mm\": 0.5, \"centre_cm\": [40, 0, -30], \"width_cm\": 60, \"height_cm\": 60}], $eye}" \
    >"$shielding/ceiling.json"
for name in open full-cover ceiling; do
    engine "$shielding" "$name" next-event "$shield_seed" 20 25 0 0 4e6 "$name.json"
done

elapsed=$(( $(date +%s) - start ))
elapsed_text="$((elapsed / 60)) min $((elapsed % 60)) s on $threads cores"
echo "Runs done in $elapsed_text"

mkdir -p docs
"$bin/korvana-validate" --runs "$runs" --data "$data" --out docs/validation.md \
    --date "$date" --commit "$commit" --elapsed "$elapsed_text" \
    --note "lumetrel in the parallel mode on every core (--threads 0): $threads here." \
    --note "Seeds: scatter runs 1; next-event against analog: analog $analog_seed, next-event $next_event_seed; in rooms: analog 111, 121, 131, next-event 211, 221, 231; the shielding runs $shield_seed." \
    --note "Spectra of the scatter and comparison runs: constant potential, 12 degree target, 2.5 mm Al inherent + 1.5 mm Al added; FSD 80 cm." \
    --note "History scale factor of this run: $scale (1 is the standard run)."
