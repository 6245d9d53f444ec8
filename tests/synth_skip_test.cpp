// Moving a freshly loaded song on to a step without sounding it, as the
// player does for --from and after a reload.
#include "synth/synth.h"
#include "synth_test_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int STEP = 5292;  // frames a step at 125 bpm

// Two voices whose notes all end within their step (3021 frames), with
// volume and slide changes, patterns of different lengths and a track that
// ends: what the skipped steps leave behind is the sequencer's state only.
const std::string short_notes_song = "bpm:125\n"
                                     "i1:sini,10,0,3000,10,0\n"
                                     "i2:saha,10,0,2000,10,0,0,30,40\n"
                                     "p1:c4,vol,50,e4,-,g4,sld,3,c5\n"
                                     "p2:a3,-,vol,120,b3\n"
                                     "p3:c3,d3,e3,stop,f3,g3,a3\n"
                                     "t1:p1,p2,loop\n"
                                     "t2:p3,p3\n";

// Frames from..from+count of the song played from its start.
std::vector<int> played_from_start(const std::string &text, int from, int count)
{
    load_song(text);
    mix_frames(from);
    return mix_frames(count);
}

TEST(SynthSkip, SkippedSongPlaysOnAsIfItHadPlayedThrough)
{
    for (int step : {1, 3, 5, 6, 9, 14, 40}) {
        std::vector<int> want = played_from_start(short_notes_song, step * STEP, 3 * STEP);
        load_song(short_notes_song);
        synth_skip_to_step(step);
        EXPECT_EQ(synth.sample_counter, (int64_t)step * STEP) << step;
        std::vector<int> got = mix_frames(3 * STEP);
        EXPECT_EQ(got, want) << "from step " << step;
    }
}

TEST(SynthSkip, PositionIsTheStepOnceItsBoundaryIsMixed)
{
    load_song(short_notes_song);
    synth_skip_to_step(7);
    mix_frames(1);
    EXPECT_EQ(synth_song_position(), 7);
    mix_frames(STEP - 1);
    EXPECT_EQ(synth_song_position(), 7);
    mix_frames(1);
    EXPECT_EQ(synth_song_position(), 8);
}

TEST(SynthSkip, StepZeroAndNoTempoMoveNothing)
{
    std::vector<int> want = played_from_start(short_notes_song, 0, 2 * STEP);
    load_song(short_notes_song);
    synth_skip_to_step(0);
    EXPECT_EQ(mix_frames(2 * STEP), want);

    load_song("i1:sini,10,0,3000,10,0\np1:c4,d4\nt1:p1,loop\n");
    synth_skip_to_step(5);
    EXPECT_EQ(synth.sample_counter, 0);
    EXPECT_EQ(synth.voices[1].track_index, TRACK_NOT_STARTED);
}

TEST(SynthSkip, NotesOfSkippedStepsAreNotHeard)
{
    // A note held for a second starts at step 0; from step 1 (a rest) the
    // voice is silent until step 2 starts the next note.
    load_song(one_voice_song("p0:c4,-,e4,-"));
    synth_skip_to_step(1);
    EXPECT_TRUE(all_zero(mix_frames(STEP)));
    std::vector<int> after = mix_frames(STEP);
    EXPECT_FALSE(all_zero(after));
    EXPECT_EQ(after, played_from_start(one_voice_song("p0:e4"), 0, STEP));
}

TEST(SynthSkip, MutesAndTransposeSetBeforeTheSkipHold)
{
    load_song(short_notes_song);
    synth_set_mute(2, 1, 0);
    synth_set_transpose(1, 4);
    synth_skip_to_step(2);
    std::vector<int> skipped = mix_frames(STEP);

    load_song(short_notes_song);
    synth_set_mute(2, 1, 0);
    synth_set_transpose(1, 4);
    mix_frames(2 * STEP);
    EXPECT_EQ(skipped, mix_frames(STEP));
    EXPECT_FALSE(all_zero(skipped));
}

}  // namespace
