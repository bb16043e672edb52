#!/usr/bin/env bash
# Regenerates the engine's reference result file from the default case with
# 20000 histories. Run it only when a change of the results is intended, and
# commit the new file with the reviewed diff.
# usage: tools/regenerate_reference_result.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root"/data/ICRUSoft.dat "$root"/data/MU_en2016.dat "$root"/data/Pb.dat \
   "$root"/data/example/B_SPCTL.dat "$work/"
printf '%s\r\n' 20.0 80.0 25.0 25.0 0.035 60.0 2.000E+04 reference.data > "$work/B2F.txt"
(cd "$work" && "$build/engine/lumetrel" </dev/null >/dev/null)
cp "$work/reference.data" "$root/tests/engine/reference/default_case_2e4.data"
echo "written tests/engine/reference/default_case_2e4.data"
