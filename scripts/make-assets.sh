#!/usr/bin/env bash
# Regenerates the show's models: tobuna-make-assets writes them as OBJ + MTL
# and tobuna-model converts each into a dump file.
# Usage: scripts/make-assets.sh [BUILD-DIR [OUT-DIR]]   (defaults build/, data/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
mkdir -p "${2:-$root/data}"
out=$(cd "${2:-$root/data}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tobuna-make-assets" "$work"
cd "$work"
for name in hiiri jalkapallo2 rantapallo keilapallo tennari kube fontti; do
    "$build/tobuna-model" convert "$name.obj" "$out/$name.dump"
done
