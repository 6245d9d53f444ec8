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

// Mixes 128 steps of an arrangement row from the start: a first period, in
// which each voice's first notes sound before its pattern sets its volume,
// and a second as the show plays a row after earlier periods.
std::vector<int> render_row(int row, int transpose)
{
    load_hiiri();
    for (int c = 0; c < ARRANGED_VOICES; c++)
        synth_set_mute(c + 1, (uint8_t)(int)(1.0f - voice_on_table[row][c]), 0);
    for (int v : transposed_voices)
        synth_set_transpose(v, transpose);
    return mix_frames(128 * STEP);
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
                if (code == PATTERN_VOL || code == PATTERN_SLD) {
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

// The peak and the quietest half second of a stretch of samples.
void measure(const std::vector<int> &samples, size_t begin, size_t end, int *peak,
             double *quietest_db)
{
    *peak = 0;
    for (size_t i = begin; i < end; i++)
        *peak = std::max(*peak, std::abs(samples[i]));
    double quietest = 1e9;
    const size_t half_second = 44100;  // interleaved samples
    for (size_t start = begin; start + half_second <= end; start += half_second / 2) {
        double sum = 0;
        for (size_t i = start; i < start + half_second; i++)
            sum += (double)samples[i] * samples[i];
        quietest = std::min(quietest, std::sqrt(sum / half_second) / 32768);
    }
    *quietest_db = 20 * std::log10(quietest);
}

TEST(HiiriSong, EveryRowSoundsWithoutClipping)
{
    const size_t period = 64 * STEP * 2;
    for (int row = 0; row < ARRANGEMENT_ROWS; row++) {
        for (int transpose : song_transposes) {
            std::vector<int> out = render_row(row, transpose);
            for (size_t p = 0; p < 2; p++) {
                int peak;
                double quietest_db;
                measure(out, p * period, (p + 1) * period, &peak, &quietest_db);
                EXPECT_LT(peak, 32766)
                    << "row " << row << " transpose " << transpose << " period " << p;
                EXPECT_GT(quietest_db, -40.0)
                    << "row " << row << " transpose " << transpose << " period " << p;
            }
        }
    }
}

}  // namespace
