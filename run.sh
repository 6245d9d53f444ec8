#!/usr/bin/env bash
# Installs what is missing, builds, and runs the show with the arguments given,
# for instance ./run.sh -w 1024 768
set -e
cd "$(dirname "$0")"
. scripts/setup.sh
ensure_packages $build_packages
build_show
exec build/tobuna "$@"
