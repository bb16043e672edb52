#!/usr/bin/env bash
# Lays out a working directory: the programs and the shipped tables side by side.
# usage: tools/layout_work.sh BUILD_DIR WORK_DIR
set -euo pipefail
build=$1
work=$2
mkdir -p "$work"
for program in app/forms/korvana engine/lumetrel hvl/tavisen app/spectrum/korvana-spectrum \
               app/results/korvana-results app/study/korvana-study; do
    cp -f "$build/$program" "$work/"
done
cp -f data/ICRUSoft.dat data/MU_en2016.dat data/Pb.dat data/Aluminum.atc \
      data/Tungsten.dat data/Copper.dat data/d-DperK.dDk "$work/"
