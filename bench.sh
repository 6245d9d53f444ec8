#!/usr/bin/env bash
# Builds the benchmarks in Release into build-release/, runs them, and
# prints each figure beside its baseline measured in the same run.
# Usage: ./bench.sh [ARGS FOR EVERY BENCHMARK PROGRAM]   (e.g. --benchmark_repetitions=3)
set -euo pipefail
cd "$(dirname "$0")"
. scripts/setup.sh
ensure_packages $build_packages
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release -j "$(nproc)" --target bench_synth bench_world bench_models bench_scene

results=$(mktemp)
trap 'rm -f "$results"' EXIT
for program in bench_synth bench_world bench_models bench_scene; do
    echo "running $program" >&2
    build-release/bench/$program --benchmark_format=csv "$@" 2>/dev/null | grep '^"' >>"$results"
done

# One line per figure: what, its time, the baseline's name and time, and
# their ratio. Times are the benchmarks' real (wall-clock) times in
# microseconds; a frame of the show lasts 1/75 s = 13333 us.
awk -F, '
    function us(i) { return time[i] * (unit[i] == "ns" ? 0.001 : unit[i] == "ms" ? 1000 : 1) }
    {
        name = $1; gsub(/"/, "", name); sub(/\/iterations:[0-9]+$/, "", name)
        time[name] = $3; unit[name] = $5
    }
    function row(what, a, base, b, ratio) {
        printf "%-40s %11.1f us   %-28s %11.1f us   %s\n", what, us(a), base, us(b), ratio
    }
    END {
        frame = 1e6 / 75
        printf "%-40s %14s   %-28s %14s   %s\n", "figure", "time", "baseline", "time", "ratio"
        if (("BM_Mix" in time) && ("BM_MixReference" in time))
            row("mixer, 1024 frames, 13 voices", "BM_Mix", "reference mixer, same frames", "BM_MixReference",
                sprintf("%.2fx faster; %.0fx real time", us("BM_MixReference") / us("BM_Mix"),
                        1024 / 44100 * 1e6 / us("BM_Mix")))
        n = split("10 50 200", mice, " ")
        for (i = 1; i <= n; i++) {
            m = "BM_WorldStep/" mice[i] "/3"
            if (!(m in time)) continue
            row("world_step, " mice[i] " mice + 3 balls", m, "world_step, 10 mice + 3 balls", "BM_WorldStep/10/3",
                sprintf("%.1fx the time; %.2f%% of a frame", us(m) / us("BM_WorldStep/10/3"), 100 * us(m) / frame))
        }
        if ("BM_LoadShowModels" in time)
            row("model loading, the 7 show models", "BM_LoadShowModels", "reading the same files", "BM_ReadShowModelFiles",
                sprintf("%.1fx the time", us("BM_LoadShowModels") / us("BM_ReadShowModelFiles")))
        split("20/3 5/12", loads, " ")
        for (i = 1; i <= 2; i++) {
            full = "BM_MainSceneFrame/" loads[i] "/0"; fill = "BM_MainSceneFrame/" loads[i] "/1"
            if (!(full in time)) continue
            split(loads[i], mb, "/")
            row("main scene 800x600, " mb[1] " mice + " mb[2] " balls", full, "its fill pass alone", fill,
                sprintf("outline pass %.0f%% of the frame; %.0f%% of a frame", 100 * (us(full) - us(fill)) / us(full),
                        100 * us(full) / frame))
        }
        if ("BM_TitleFrame" in time)
            row("title frame 800x600", "BM_TitleFrame", "an empty frame, cleared", "BM_EmptyFrame",
                sprintf("%.1fx the time; %.0f%% of a frame", us("BM_TitleFrame") / us("BM_EmptyFrame"),
                        100 * us("BM_TitleFrame") / frame))
    }' "$results"
