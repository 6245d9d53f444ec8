# Shared set-up of run.sh, test.sh and bench.sh: installs the Debian
# packages that are missing and configures and builds the build folders.
# Source it, then call the functions.

# Packages the build needs (the tests and benchmarks are built with the show).
build_packages="cmake make g++ pkg-config libsdl1.2-compat-dev libgl-dev libglu1-mesa-dev
                libgl1-mesa-dri libegl-dev libegl-mesa0 libpng-dev
                libgtest-dev libbenchmark-dev
                libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libx11-dev"
# Packages running the test suite needs on top.
# clang builds the fuzz targets; valgrind runs the leak check; clang-format
# and clang-tidy make the static checks; ffmpeg checks the capture's MP4;
# python3 drives the song player's tests; the rest checks the package and
# runs the screensaver daemon.
test_packages="xvfb xauth xdotool imagemagick sox clang libclang-rt-14-dev ffmpeg python3
               valgrind clang-format-14 clang-tidy-14
               xscreensaver xscreensaver-gl lintian desktop-file-utils man-db dpkg-dev fakeroot
               libxml2-utils"

# Installs whichever of the named packages are not installed yet.
ensure_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -q || return 1
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# configure_and_build DIR [CMAKE-OPTION...] [--target TARGET...]: configures
# DIR with the options (cheap when nothing changed) and builds it, or only
# the targets named.
configure_and_build() {
    local dir=$1 options=() targets=()
    shift
    while [ $# -gt 0 ] && [ "$1" != --target ]; do
        options+=("$1")
        shift
    done
    [ $# -gt 0 ] && shift && targets=(--target "$@")
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null || return 1
    cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
}

# Configures and builds everything into build/.
build_show() {
    configure_and_build build "$@"
}

# Configures and builds the libFuzzer targets into build-fuzz/ with clang.
build_fuzzers() {
    CC=clang CXX=clang++ configure_and_build build-fuzz -DTOBUNA_FUZZ=ON "$@"
}
