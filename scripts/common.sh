# Shared by run.sh and test.sh: install what the build needs, then configure and build.
# Sourced, not run.

# Debian 12 packages the tool, its tests and its simulator are built with (ser2net: the
# serial server the end-to-end tests put in front of the simulated sign; socat and openssl: its
# TLS front, with certificates made when the tests run; ansible-core: runs the playbooks that
# test the Ansible collection; xvfb, at-spi2-core, python3-pyatspi, xdotool and dbus: the X
# server, accessibility bus, screen reader's side and input of the screen-reader test; ccache:
# the package build and rebuilds reuse what the test build compiled).
SIGNCONFIG_PACKAGES=(
    cmake ninja-build g++ pkg-config ccache
    qt6-base-dev qt6-serialport-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    fonts-dejavu-core
    desktop-file-utils appstream man-db
    ser2net socat openssl
    ansible-core
    xvfb at-spi2-core python3-pyatspi xdotool dbus
)

# What package.sh needs besides: dpkg-shlibdeps finds the package's dependencies, lintian checks it.
SIGNCONFIG_PACKAGING_PACKAGES=(dpkg-dev file lintian)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "Need root to run: $* (install sudo or run as root)" >&2
        return 1
    fi
}

install_missing_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    if [ "${#missing[@]}" -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
    fi
}

# configure_and_build BUILD_DIR [cmake options...]
configure_and_build() {
    local dir="$1"
    shift
    local launcher=()
    if command -v ccache >/dev/null 2>&1; then
        # Paths relative to the checkout and no build folder in the key: build/ and build-pkg/
        # compile the same files with the same flags, so the second takes the first's objects.
        export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$SIGNCONFIG_ROOT}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-true}"
        launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S "$SIGNCONFIG_ROOT" -B "$SIGNCONFIG_ROOT/$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@"
    cmake --build "$SIGNCONFIG_ROOT/$dir"
}
