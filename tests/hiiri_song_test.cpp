// The show's song, data/hiiri.txt, as the director plays it: every
// arrangement row under every transposition the director sends.
#include "direction/director_tables.h"
#include "synth/synth.h"
#include "synth_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int STEP = 5292;
const int song_transposes[4] = {0, 4, -4, -8};

void load_hiiri()
{
    srand(1);
    synth_init(44100);
    ASSERT_EQ(synth_load_song(TOBUNA_SOURCE_DIR "/data/hiiri.txt"), 0);
}

// Mixes 64 steps of an arrangement row after 64 steps of lead-in, as a row
// always follows an earlier period in the show.
std::vector<int> render_row(int row, int transpose)
{
    load_hiiri();
    for (int c = 0; c < ARRANGED_VOICES; c++)
        synth_set_mute(c + 1, (uint8_t)(int)(1.0f - voice_on_table[row][c]), 0);
    for (int v : transposed_voices)
        synth_set_transpose(v, transpose);
    mix_frames(64 * STEP);
    return mix_frames(64 * STEP);
}

TEST(HiiriSong, TempoAndTracks)
{
    load_hiiri();
    EXPECT_EQ(synth.step_length, 5292);
    for (int v = 1; v <= 13; v++) {
        EXPECT_TRUE(synth_voice_in_use(v)) << v;
        EXPECT_GT(synth.voices[v].note_length, 1) << v;
        int steps = song_track_steps(v);
        EXPECT_GT(steps, 0) << v;
        EXPECT_EQ(steps % 64, 0) << "track " << v << " loops after " << steps << " steps";
        bool loops = false;
        for (int i = 0; synth.voices[v].track[i] != LIST_END; i++)
            loops = loops || synth.voices[v].track[i] == TRACK_LOOP;
        EXPECT_TRUE(loops) << v;
    }
    EXPECT_FALSE(synth_voice_in_use(14));
}

TEST(HiiriSong, NotesStayInRangeUnderEveryTransposition)
{
    load_hiiri();
    for (int v : transposed_voices) {
        if (!synth_voice_in_use(v))
            continue;
        const Voice &voice = synth.voices[v];
        for (int i = 0; voice.track[i] >= 0; i++) {
            const int32_t *pattern = synth.patterns[voice.track[i]];
            for (int row = 0; pattern[row] != LIST_END; row++) {
                int code = pattern[row];
                if (code == EVENT_VOL || code == EVENT_SLD) {
                    row++;
                    continue;
                }
                if (code < SYNTH_NOTES) {
                    EXPECT_GE(code - 8, 0) << "voice " << v << " " << event_names[code];
                    EXPECT_LE(code + 4, 71) << "voice " << v << " " << event_names[code];
                }
            }
        }
    }
}

TEST(HiiriSong, EveryRowSoundsWithoutClipping)
{
    for (int row = 0; row < ARRANGEMENT_ROWS; row++) {
        for (int transpose : song_transposes) {
            std::vector<int> out = render_row(row, transpose);
            int peak = 0;
            for (int s : out)
                peak = std::max(peak, std::abs(s));
            EXPECT_LT(peak, 32766) << "row " << row << " transpose " << transpose;
            // No half second of the row is near silence.
            double quietest = 1e9;
            for (size_t start = 0; start + 44100 <= out.size(); start += 22050) {
                double sum = 0;
                for (size_t i = start; i < start + 44100; i++)
                    sum += (double)out[i] * out[i];
                quietest = std::min(quietest, std::sqrt(sum / 44100) / 32768);
            }
            EXPECT_GT(20 * std::log10(quietest), -40.0) << "row " << row << " transpose " << transpose;
        }
    }
}

}  // namespace
