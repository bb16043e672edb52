#!/usr/bin/env bash
# Runs the default case in a working directory without a window and prints a
# summary a medical physicist reads at a glance: the case, the beam's
# half-value layers, effective energies and fluence, the air kerma at the nine
# measuring points with their errors, the eye lens doses with and without
# 0.07 mm Pb glasses, the wall time and where the files are. The programs' own
# console output goes to WORK_DIR/default.log. The case: 80 kV constant
# potential, 12 degree target, 2.5 mm Al inherent and 1.5 mm Al added; 20 cm
# object at 80 cm, 25 x 25 cm field; a 0.35 mm Pb curtain of 60 cm. The engine
# runs with no keyboard: it goes on at each Enter prompt.
# usage: tools/default_case.sh WORK_DIR [HISTORIES]
set -euo pipefail
data=$(cd "$(dirname "$0")/../data" && pwd)
defaults=$(cd "$(dirname "$0")/../common" && pwd)/default_case.h
# A value of the default case, from the one header the programs read too.
default_value() { sed -n "s/.* $1 = \"\(.*\)\";.*/\1/p" "$defaults"; }
kv=$(default_value TUBE_VOLTAGE_KV)
angle=$(default_value TARGET_ANGLE_DEG)
inherent=$(default_value INHERENT_FILTRATION_MM_AL)
al=$(default_value ADDED_ALUMINIUM_MM)
cu=$(default_value ADDED_COPPER_MM)
thickness=$(default_value THICKNESS_CM)
fsd=$(default_value FSD_CM)
field_y=$(default_value FIELD_LONG_CM)
field_x=$(default_value FIELD_SHORT_CM)
pb=$(default_value CURTAIN_LEAD_MM)
length=$(default_value CURTAIN_LENGTH_CM)
cd "$1"
histories=${2:-1.000E+07}
result=default.data
log=default.log
started=$(date +%s.%N)

: >"$log"
if [ -x ./korvana-spectrum ]; then
    ./korvana-spectrum --kv "$kv" --angle "$angle" --inherent "$inherent" --al "$al" --cu "$cu" \
        --mode 1 >>"$log" 2>&1
else
    cp -f "$data/example/B_SPCTL.dat" .
fi
[ -x ./tavisen ] && ./tavisen </dev/null >>"$log" 2>&1
# The run file as the launch dialog writes it (the lead in cm).
awk -v t="$thickness" -v f="$fsd" -v y="$field_y" -v x="$field_x" -v pb="$pb" -v l="$length" \
    'BEGIN { printf "%.1f\r\n%04.1f\r\n%.1f\r\n%.1f\r\n%.3f\r\n%04.1f\r\n", t, f, y, x, pb / 10, l }' \
    > B2F.txt
printf '%s\r\n' "$histories" "$result" >> B2F.txt
if ! ./lumetrel </dev/null >>"$log" 2>&1 || [ ! -f "$result" ]; then
    echo "The engine did not finish; its console output:" >&2
    tail -n 20 "$log" >&2
    exit 1
fi
seconds=$(awk -v s="$started" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f", e - s }')

echo "Case:  ${kv} kV constant potential, ${angle} degree tungsten target, filtration ${inherent} mm Al"
echo "       inherent + ${al} mm Al + ${cu} mm Cu; ${thickness} cm object at FSD ${fsd} cm,"
echo "       ${field_y} x ${field_x} cm field; Pb curtain ${pb} mm hanging ${length} cm;" \
     "$(awk '{ printf "%.0e", $1 }' <<<"$histories") histories"
if [ -f HVL_S2.dat ]; then
    tr -d '\r' < HVL_S2.dat | awk 'NR <= 5 { v[NR] = $1 } END {
        printf "Beam:  HVL1 %.2f mm Al (effective energy %.1f keV), HVL2 %.2f mm Al (%.1f keV),\n",
               v[1], v[2], v[3], v[4]
        printf "       fluence %.3e photons/mm2 per 1 C/kg of exposure\n", v[5] }'
fi
uncertainties=${result%.data}.unc.csv
if [ -f "$uncertainties" ]; then
    echo "Air kerma at the measuring points, Gy per Gy of primary air kerma at the entrance surface"
    echo "(± relative standard error):"
    tr -d '\r' < "$uncertainties" | awk -F, '$1 == "point" {
        printf "  %3d deg  %.3e  ± %.1f %%%s\n", $2, $5, 100 * $6, ($10 == "1" ? "  (unstable)" : "") }'
fi
if [ -x ./korvana-results ] && [ -f d-DperK.dDk ]; then
    echo "Eye lens doses as the result viewers compute them (korvana-results $result):"
    ./korvana-results "$result" | sed -n '/^Per 1 Gy/,$p'
fi
echo "Wall time ${seconds} s. Files in $(pwd): $result, $uncertainties, the programs'"
echo "console output in $log."
