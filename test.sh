#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite, under a
# virtual X display when there is none: the plain suite, the shuffled run,
# the leak check and the static checks in build/; the whole suite again
# under AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/; the
# race test under ThreadSanitizer in build-tsan/; the fuzz runs in
# build-fuzz/. Every build turns warnings into errors. Prints each part's
# time and result; exits non-zero when any part fails.
set -u
cd "$(dirname "$0")"
. scripts/setup.sh
ensure_packages $build_packages $test_packages || exit 1
# Without a display, the whole suite runs under one virtual X server.
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
# No sound card is needed: the tests run the audio on SDL's dummy driver.
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
jobs=$(nproc)

failed=0
summary=()
# part NAME COMMAND...: runs one part of the suite and notes its time.
part() {
    local name=$1 start status
    shift
    echo "=== $name"
    start=$(date +%s)
    "$@"
    status=$?
    summary+=("$(printf '%-34s %6d s  %s' "$name" $(($(date +%s) - start)) \
        "$([ "$status" = 0 ] && echo ok || echo "FAILED ($status)")")")
    [ "$status" = 0 ] || failed=1
}

# Runs the command as it is: the whole script runs under one virtual X
# display when there is none (see below).
with_display() {
    "$@"
}

# Any sanitizer report ends the program that made it with a failure. Leaks
# are reported except those inside the system libraries that
# scripts/lsan.supp names.
# Mesa unloads its driver before LeakSanitizer reports, and the driver's own
# leaks would then come from an unknown module that no suppression can name;
# preloaded, the driver stays to the end (the runtime then is not first in
# the library list, which is harmless here).
gl_driver=$(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -n 1)
sanitized() {
    ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:check_initialization_order=1:detect_stack_use_after_return=1:verify_asan_link_order=0 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0 \
    TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
        "$@"
}

tests() {
    local dir=$1
    shift
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" "$@"
}

part "plain build" build_show -DTOBUNA_WERROR=ON
part "plain suite" with_display tests build -E '^(unit\.shuffled|leak|static)[._]'
part "shuffled unit tests" tests build -R '^unit\.shuffled'
part "leak check (valgrind)" tests build -R '^leak\.'
part "static checks" tests build -R '^static\.'

# The build draws the icons with the sanitized model tool: leaks are looked
# for in the suite, not while building.
sanitizer_build() {
    ASAN_OPTIONS=detect_leaks=0 configure_and_build build-asan -DTOBUNA_SANITIZE=address,undefined \
        -DTOBUNA_WERROR=ON
}
part "sanitizer build" sanitizer_build
# The sanitizer suite, with the GL driver preloaded.
sanitizer_suite() {
    LD_PRELOAD=$gl_driver sanitized tests build-asan
}
part "sanitizer suite" sanitizer_suite

part "race build" configure_and_build build-tsan -DTOBUNA_SANITIZE=thread -DTOBUNA_WERROR=ON \
    --target audio_race_test
part "race test" sanitized tests build-tsan -R '^race\.'

part "fuzz build" build_fuzzers -DTOBUNA_WERROR=ON
part "fuzz runs" tests build-fuzz

echo "=== summary"
printf '%s\n' "${summary[@]}"
exit $failed
