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
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    # shellcheck disable=SC2086
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
}

# Everything the programs and the test suite need to build and run.
KORVANA_BUILD_PACKAGES=(g++ cmake make libgtest-dev)

korvana_build() {
    local type=${1:-Release}
    cmake -S . -B build -DCMAKE_BUILD_TYPE="$type" >/dev/null
    cmake --build build -j"$(nproc)"
}
