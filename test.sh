#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite, under a
# virtual X display when there is none.
set -e
cd "$(dirname "$0")"
. scripts/setup.sh
ensure_packages $build_packages $test_packages
build_show
build_fuzzers
# No sound card is needed: the tests run the audio on SDL's dummy driver.
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
status=0
# Each fuzz target runs for a few seconds from its seed corpus.
ctest --test-dir build-fuzz --output-on-failure || status=1
if [ -n "${DISPLAY:-}" ]; then
    ctest --test-dir build --output-on-failure || status=1
else
    xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build --output-on-failure || status=1
fi
exit $status
