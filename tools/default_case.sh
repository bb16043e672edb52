#!/usr/bin/env bash
# Runs the default case in a working directory without a window and prints its
# results (with korvana-results there: the conditions, the air kerma and the eye
# lens doses): 80 kV constant potential, 12 degree target, 2.5 mm Al inherent and
# 1.5 mm Al added; 20 cm object at 80 cm, 25 x 25 cm field; a 0.35 mm Pb
# curtain of 60 cm. The engine runs with no keyboard: it goes on at each Enter prompt.
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
cd "$1"
histories=${2:-1.000E+07}
result=default.data

if [ -x ./korvana-spectrum ]; then
    ./korvana-spectrum --kv "$kv" --angle "$angle" --inherent "$inherent" --al "$al" --cu "$cu" \
        --mode 1
else
    cp -f "$data/example/B_SPCTL.dat" .
fi
if [ -x ./tavisen ]; then
    ./tavisen </dev/null
fi
# The run file as the launch dialog writes it (the lead in cm).
awk -v t="$(default_value THICKNESS_CM)" -v f="$(default_value FSD_CM)" \
    -v y="$(default_value FIELD_LONG_CM)" -v x="$(default_value FIELD_SHORT_CM)" \
    -v pb="$(default_value CURTAIN_LEAD_MM)" -v l="$(default_value CURTAIN_LENGTH_CM)" \
    'BEGIN { printf "%.1f\r\n%04.1f\r\n%.1f\r\n%.1f\r\n%.3f\r\n%04.1f\r\n", t, f, y, x, pb / 10, l }' \
    > B2F.txt
printf '%s\r\n' "$histories" "$result" >> B2F.txt
./lumetrel </dev/null

echo
echo "Result file: $1/$result"
if [ -f HVL_S2.dat ]; then
    echo "Half-value layers of the beam (HVL_S2.dat):"
    tr -d '\r' < HVL_S2.dat | sed 's/^/  /'
fi
if [ -x ./korvana-results ] && [ -f d-DperK.dDk ]; then
    # Conditions, air kerma and eye lens doses as the result viewers compute them.
    ./korvana-results "$result"
else
    echo "Air kerma at the measuring points, per unit primary air kerma at the entrance surface:"
    angle=30
    sed -n 302,310p "$result" | tr -d '\r' | while read -r _peak _kerma ratio; do
        printf '  %3d deg   %s\n' "$angle" "$ratio"
        angle=$((angle + 15))
    done
fi
