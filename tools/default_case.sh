#!/usr/bin/env bash
# Runs the default case in a working directory without a window: the engine
# with no keyboard (it goes on at each Enter prompt), then prints the air kerma
# per measuring point.
# usage: tools/default_case.sh WORK_DIR
set -euo pipefail
cd "$1"
cp -f ../data/example/B2F.txt ../data/example/B_SPCTL.dat .
result=$(sed -n 8p B2F.txt | tr -d '\r')
./lumetrel </dev/null
echo
echo "Result file: $1/$result"
echo "Air kerma at the measuring points (per unit primary air kerma at the entrance surface):"
angle=30
sed -n 302,310p "$result" | tr -d '\r' | while read -r peak kerma ratio; do
    printf '  %3d deg   %s\n' "$angle" "$ratio"
    angle=$((angle + 15))
done
