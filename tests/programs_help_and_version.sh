#!/usr/bin/env bash
# Every program answers --help and --version with exit status 0, in an empty
# directory without a display, and touches no file there.
# usage: programs_help_and_version.sh PROGRAM...
set -uo pipefail
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
failures=0
for program in "$@"; do
    for flag in --help --version; do
        output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$flag" \
                 </dev/null 2>&1)
        status=$?
        name=$(basename "$program")
        if [ "$status" -ne 0 ] || [ -z "$output" ]; then
            echo "$name $flag: exit $status, output: $output"
            failures=$((failures + 1))
        fi
        if [ "$flag" = --version ] && [[ $output != "$name (Korvana) "* ]]; then
            echo "$name --version: \"$output\" is not the version line"
            failures=$((failures + 1))
        fi
        if [ -n "$(ls -A)" ]; then
            echo "$name $flag left files: $(ls -A)"
            failures=$((failures + 1))
            rm -rf ./* ./.[!.]* 2>/dev/null
        fi
    done
done
echo "$(($# * 2 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
