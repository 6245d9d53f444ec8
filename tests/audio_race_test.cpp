// The audio thread and the main thread at once, as in the show: one thread
// runs the mixer on the show's song through the audio callback while the
// main thread runs the director on the positions the mixer writes, sending
// transpositions and deferred mutes back. Built under ThreadSanitizer by the
// test suite, where any access of both threads to a value that is not one of
// the shared atomics is reported as a race and fails the run.
#include "direction/direction_local.h"
#include "direction/director_tables.h"
#include "synth/synth.h"
#include "world/world.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

constexpr int callback_frames = 1024;  // the show's audio buffer
constexpr int min_director_steps = 5000;
constexpr int32_t min_song_steps = 1300;  // the title, then transpositions and acts

TEST(AudioRace, MixerAndDirectorShareOnlyTheAtomics)
{
    srand(7);
    synth_init(44100);
    ASSERT_EQ(synth_load_song(TOBUNA_SOURCE_DIR "/data/hiiri.txt"), 0);
    world_reset(&show_world, 1.0f, 1.0f);

    // The test's own values between the threads, relaxed like the show's
    // so that they order nothing that ThreadSanitizer would otherwise see.
    // The mixer waits until the director has seen the step it is playing,
    // as the show's frames, many to a step, see every step; a buffer is
    // shorter than a step, so no step is skipped.
    std::atomic<bool> stop{false};
    std::atomic<int64_t> callbacks{0};
    std::atomic<int32_t> seen{-1};
    std::thread audio([&] {
        std::vector<uint8_t> stream((size_t)callback_frames * 4);
        while (!stop.load(std::memory_order_relaxed)) {
            if (seen.load(std::memory_order_relaxed) < synth_song_position()) {
                std::this_thread::yield();
                continue;
            }
            audio_callback(nullptr, stream.data(), (int)stream.size());
            callbacks.fetch_add(1, std::memory_order_relaxed);
        }
    });

    // Director steps until the song has passed the title and several
    // transpositions.
    int steps = 0;
    int32_t first_position = synth_song_position();
    std::vector<int> transpositions_seen;
    while (steps < min_director_steps || synth_song_position() < min_song_steps) {
        int32_t position = synth_song_position();
        director_step();
        seen.store(position, std::memory_order_relaxed);
        steps++;
        int t = director.song_transpose;
        if (transpositions_seen.empty() || transpositions_seen.back() != t)
            transpositions_seen.push_back(t);
        std::this_thread::yield();
    }
    stop.store(true, std::memory_order_relaxed);
    audio.join();

    EXPECT_GE(steps, min_director_steps);
    EXPECT_GT(callbacks.load(), 0);
    EXPECT_GE(synth_song_position() - first_position, min_song_steps - 1);
    EXPECT_NE(director.act, ACT_TITLE);
    EXPECT_GT(transpositions_seen.size(), 1u) << "no transposition was sent";
    // Once the threads are joined, the last values sent are the voices'.
    for (int v : transposed_voices) {
        if (synth_voice_in_use(v)) {
            EXPECT_EQ(synth.voices[v].transpose.load(), director.song_transpose) << v;
        }
    }

    world_release_records(&show_world);
}

}  // namespace
