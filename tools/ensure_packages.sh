# Installs the Debian packages the build needs when they are missing.
# Sourced by ./run and ./test; uses sudo when not root.

korvana_missing_packages() {
    local missing=() package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    echo "${missing[@]:-}"
}

korvana_ensure_packages() {
    local missing
    missing=$(korvana_missing_packages "$@")
    [ -z "$missing" ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    local log
    log=$(mktemp /tmp/korvana-packages-XXXXXX.log)
    echo "Installing the Debian packages: $missing (output in $log)"
    # shellcheck disable=SC2086
    if ! { "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 \
               update -qq &&
           "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 \
               install -y -qq --no-install-recommends $missing; } >"$log" 2>&1; then
        tail -n 30 "$log" >&2
        echo "Installing the packages failed (the whole output is in $log)." >&2
        return 1
    fi
}

# Everything the programs and the test suite need to build and run (the window
# tests run on Qt's offscreen platform and draw text with a plain font; the
# command-line tools parse their options with CLI11 and read case files with
# nlohmann-json, korvana-study draws its plot into SVG; the engine's
# next-event scoring runs in vector lanes with Highway).
KORVANA_BUILD_PACKAGES=(g++ cmake make libgtest-dev libcli11-dev nlohmann-json3-dev qt6-base-dev
                        qt6-svg-dev fonts-dejavu-core libhwy-dev)

# ./test also builds lumetrel with Open MPI and runs it over two processes, and
# checks the sources' format.
KORVANA_TEST_PACKAGES=(libopenmpi-dev openmpi-bin clang-format)

# tools/fuzz.sh: clang with libFuzzer and the address and undefined-behaviour
# sanitizers' runtimes (libclang-rt-dev for the installed clang). g++'s own
# sanitizer runtimes, for ./test --sanitize, come with g++.
KORVANA_FUZZ_PACKAGES=(clang libclang-rt-dev)

# korvana on a display: a Japanese font for the captions and a terminal for the
# simulation engine's console window.
KORVANA_DISPLAY_PACKAGES=(fonts-ipafont-gothic xterm)

# tools/screenshot.sh: a virtual display, window automation and the capture.
KORVANA_SCREENSHOT_PACKAGES=(xvfb xauth xdotool imagemagick fonts-ipafont-gothic xterm)

korvana_build() {
    local type=${1:-Release}
    cmake -S . -B build -DCMAKE_BUILD_TYPE="$type" -DKORVANA_BUILD_TESTS=ON >/dev/null
    cmake --build build -j"$(nproc)"
}

# The programs of the working directory, without the tests and benchmarks.
KORVANA_PROGRAMS=(korvana lumetrel tavisen korvana-spectrum korvana-results korvana-study)

# Builds only the programs, quietly: one line that counts up on a terminal,
# the compiler's output in build/build.log, shown when the build fails.
korvana_build_programs() {
    local log=build/build.log status=build/build.status
    mkdir -p build
    # Without the tests and benchmarks, which ./test builds (it switches them on again).
    if ! cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKORVANA_BUILD_TESTS=OFF >"$log" 2>&1; then
        cat "$log" >&2
        return 1
    fi
    [ -t 1 ] || echo "Building the programs (a few minutes the first time) ..."
    {
        cmake --build build -j"$(nproc)" --target "${KORVANA_PROGRAMS[@]}" 2>&1
        echo $? >"$status"
    } | tee -a "$log" | while IFS= read -r line; do
        if [ -t 1 ] && [[ $line =~ ^\[\ *([0-9]+)%\] ]]; then
            printf '\rBuilding the programs: %3s %%' "${BASH_REMATCH[1]}"
        fi
    done
    [ -t 1 ] && printf '\r'
    if [ "$(cat "$status")" != 0 ]; then
        echo "The build failed; its last lines follow (all of it in $log)." >&2
        tail -n 40 "$log" >&2
        return 1
    fi
    echo "Building the programs: done."
}
