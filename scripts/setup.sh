# Shared set-up of run.sh and test.sh: installs the Debian packages that are
# missing and builds into build/. Source it, then call the functions.

# Packages the build needs (the tests and benchmarks are built with the show).
build_packages="cmake make g++ pkg-config libsdl1.2-compat-dev libgl-dev libglu1-mesa-dev
                libgl1-mesa-dri libegl-dev libegl-mesa0 libpng-dev
                libgtest-dev libbenchmark-dev
                libavformat-dev libavcodec-dev libavutil-dev libswscale-dev"
# Packages running the test suite needs on top.
test_packages="xvfb xauth xdotool imagemagick sox clang libclang-rt-14-dev ffmpeg"

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

# Configures (once) and builds everything into build/.
build_show() {
    if [ ! -f build/CMakeCache.txt ]; then
        cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo || return 1
    fi
    cmake --build build -j "$(nproc)"
}

# Configures (once) and builds the libFuzzer targets into build-fuzz/.
build_fuzzers() {
    if [ ! -f build-fuzz/CMakeCache.txt ]; then
        CC=clang CXX=clang++ cmake -S . -B build-fuzz -DTOBUNA_FUZZ=ON \
            -DCMAKE_BUILD_TYPE=RelWithDebInfo || return 1
    fi
    cmake --build build-fuzz -j "$(nproc)"
}
