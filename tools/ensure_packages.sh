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
    echo "Installing: $missing"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 update -qq
    # shellcheck disable=SC2086
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends $missing
}

# Everything the programs and the test suite need to build and run (the window
# tests run on Qt's offscreen platform and draw text with a plain font; the
# command-line tools parse their options with CLI11, korvana-study draws its
# plot into SVG).
KORVANA_BUILD_PACKAGES=(g++ cmake make libgtest-dev libcli11-dev qt6-base-dev qt6-svg-dev
                        fonts-dejavu-core)

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
    cmake -S . -B build -DCMAKE_BUILD_TYPE="$type" >/dev/null
    cmake --build build -j"$(nproc)"
}
