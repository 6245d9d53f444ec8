// The beat director driven by song positions, without an audio device.
#include "direction/direction_local.h"
#include "direction/director_tables.h"
#include "shell/shell.h"
#include "synth/synth.h"
#include "world/world.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

const Director start = director;  // the start values

struct Fired {
    int32_t p;
    int act, just_started, code;
};

class DirectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        d = start;
        srand(5);
    }
    // Advances through the positions, one call each, collecting the events.
    std::vector<Fired> run(int32_t from, int32_t to)
    {
        std::vector<Fired> fired;
        for (int32_t p = from; p <= to; p++) {
            advance(p);
            for (int i = 0; i < last.event_count; i++)
                fired.push_back({p, last.act, last.just_started, last.event_codes[i]});
        }
        return fired;
    }
    void advance(int32_t p)
    {
        director_advance(&d, p, &last);
    }
    Director d;
    DirectorStep last{};
};

TEST_F(DirectorTest, StartValues)
{
    EXPECT_EQ(d.act, ACT_TITLE);
    EXPECT_EQ(d.act_periods_left, 4);
    EXPECT_EQ(d.act_just_started, 1);
    EXPECT_EQ(d.song_transpose, 0);
    EXPECT_EQ(d.title_period, 0);
    EXPECT_EQ(d.wander_period, -1);
    EXPECT_EQ(d.chase_period, -1);
}

TEST_F(DirectorTest, APositionHeldAtZeroFiresEachEventOnce)
{
    std::vector<int> codes;
    for (int frame = 0; frame < 100; frame++) {
        advance(0);
        codes.insert(codes.end(), last.event_codes, last.event_codes + last.event_count);
        EXPECT_EQ(last.title_active, 1);
        EXPECT_EQ(last.row, 0);
    }
    EXPECT_EQ(codes, (std::vector<int>{2, 4, 5, 6, 7, 8}));
    EXPECT_EQ(d.act, ACT_TITLE);
}

TEST_F(DirectorTest, EventsOfEverySteps)
{
    std::vector<Fired> fired = run(0, 300);
    std::vector<int> at64, at256;
    int step4 = 0;
    for (const Fired &f : fired) {
        if (f.p == 64)
            at64.push_back(f.code);
        if (f.p == 256)
            at256.push_back(f.code);
        if (f.code == EVENT_STEP4) {
            EXPECT_EQ(f.p % 4, 0);
            step4++;
        }
    }
    EXPECT_EQ(step4, 300 / 4 + 1);
    EXPECT_EQ(at64, (std::vector<int>{2, 4, 5, 6}));
    EXPECT_EQ(at256, (std::vector<int>{2, 4, 5, 6, 7, 8}));
}

TEST_F(DirectorTest, RepeatedFramesAtOnePositionFireOnce)
{
    std::vector<int> codes;
    for (int32_t p = 0; p <= 70; p++)
        for (int frame = 0; frame < 3; frame++) {
            advance(p);
            codes.insert(codes.end(), last.event_codes, last.event_codes + last.event_count);
        }
    // 0: six; 4..60: one each; 16, 32, 48: one more, 32 another; 64: four;
    // 68: one.
    EXPECT_EQ(codes.size(), 6u + 15u + 3u + 1u + 4u + 1u);
}

TEST_F(DirectorTest, TitleActHandsOverToTheWanderActAt255)
{
    struct {
        int32_t p;
        int row;
    } rows[] = {{0, 0}, {62, 0}, {63, 1}, {126, 1}, {127, 1}, {190, 1}, {191, 13}, {254, 13}};
    int ri = 0;
    for (int32_t p = 0; p <= 254; p++) {
        advance(p);
        EXPECT_EQ(last.title_active, 1) << p;
        EXPECT_EQ(d.song_transpose, 0) << p;  // not even after the choice at 127
        if (ri < 8 && rows[ri].p == p) {
            EXPECT_EQ(last.row, rows[ri].row) << p;
            ri++;
        }
        for (int i = 0; i < last.event_count; i++)
            EXPECT_EQ(last.act, ACT_TITLE);  // to nobody
    }
    advance(255);
    EXPECT_EQ(d.act, ACT_WANDER);
    EXPECT_EQ(last.title_active, 0);
    EXPECT_EQ(last.row, 14);  // voices 1 and 3
    EXPECT_EQ(voice_on_table[14][0], 1.0f);
    EXPECT_EQ(voice_on_table[14][2], 1.0f);
    std::vector<Fired> fired = run(256, 260);
    ASSERT_FALSE(fired.empty());
    for (const Fired &f : fired) {
        EXPECT_EQ(f.act, ACT_WANDER);
        EXPECT_EQ(f.just_started, f.p == 256 ? 1 : 0) << f.p;
    }
    EXPECT_EQ(last.title_active, -1);  // the title is not touched again
}

TEST_F(DirectorTest, ActsLastTheirPeriodsAndRowsContinue)
{
    run(0, 255);
    struct Act {
        int act;
        int32_t start;
        int first_row;
    };
    std::vector<Act> acts = {{ACT_WANDER, 255, 14}};
    for (int32_t p = 256; p < 20000; p++) {
        int before = d.act, periods = d.act_periods_left;
        advance(p);
        if (p % 64 == 63 && periods == 1)
            acts.push_back({d.act, p, last.row});
        else
            EXPECT_EQ(d.act, before);
        if (d.act != ACT_TITLE) {
            EXPECT_TRUE(d.song_transpose == 0 || d.song_transpose == 4 || d.song_transpose == -4 ||
                        d.song_transpose == -8);
        }
    }
    int wanders = 0, chases = 0, wander_after_wander = 0;
    int wander_periods = 0, chase_periods = 0;
    for (size_t i = 0; i + 1 < acts.size(); i++) {
        int32_t length = acts[i + 1].start - acts[i].start;
        EXPECT_EQ(length, acts[i].act == ACT_WANDER ? 128 : 256) << i;
        // Each act's row list continues where that act last left it.
        if (acts[i].act == ACT_WANDER) {
            EXPECT_EQ(acts[i].first_row, wander_rows[wander_periods % 12]) << i;
            wander_periods += 2;
            wanders++;
            wander_after_wander += i > 0 && acts[i - 1].act == ACT_WANDER;
        } else {
            EXPECT_EQ(acts[i].first_row, chase_rows[chase_periods % 10]) << i;
            chase_periods += 4;
            chases++;
        }
    }
    EXPECT_GT(wanders, 5);
    EXPECT_GT(chases, 5);
    EXPECT_GT(wander_after_wander, 0);
    EXPECT_EQ(chase_rows[0], 4);
}

TEST_F(DirectorTest, EveryActStartsWithItsOwnFlagOnTheNextBoundary)
{
    run(0, 255);
    for (int32_t p = 256; p < 5000; p++) {
        bool change_ahead = p % 64 == 63 && d.act_periods_left == 1;
        advance(p);
        if (change_ahead) {
            EXPECT_EQ(d.act_just_started, 1) << p;
            std::vector<Fired> next = run(p + 1, p + 1);
            ASSERT_FALSE(next.empty());
            for (const Fired &f : next)
                EXPECT_EQ(f.just_started, 1) << p + 1;
            EXPECT_EQ(d.act_just_started, 0);
            p++;
        }
    }
}

// The state director_step reads and writes, as the show starts: the
// director, an empty World, the scene events' counts, the camera and the
// title flag.
void start_show_state()
{
    director = start;
    world_release_records(&show_world);
    world_reset(&show_world, 1.0f, 1.0f);
    act_mouse_count = act_ball_count = wander_variant = chase_variant = 0;
    chain_leader = nullptr;
    camera_reset();
    set_title_active(1);
}

TEST(DirectorStep, TheShowGetsItsFirstMiceAfterTheTitle)
{
    start_show_state();
    srand(3);
    for (int32_t p = 0; p < 300; p++) {
        synth.song_position.store(p, std::memory_order_relaxed);
        director_step();
        ASSERT_EQ(title_active, p < 255 ? 1 : 0) << p;
        if (p < 256) {
            ASSERT_EQ(show_world.mice, nullptr) << p;
        }
    }
    // The wander act's first line or volley enters with its beginning.
    EXPECT_TRUE(show_world.mice != nullptr || show_world.balls != nullptr);
}

TEST(DirectorStep, SendsTheRowsMutesAndTheTranspositionEveryFrame)
{
    synth_init(44100);
    ASSERT_EQ(synth_load_song(TOBUNA_SOURCE_DIR "/data/hiiri.txt"), 0);
    start_show_state();
    srand(11);
    for (int32_t p = 0; p <= 255; p++) {
        synth.song_position.store(p, std::memory_order_relaxed);
        director_step();
    }
    for (int c = 0; c < ARRANGED_VOICES; c++) {
        uint8_t expected = voice_on_table[14][c] == 1.0f ? 0 : 1;
        EXPECT_EQ(synth.voices[c + 1].pending_mute.load(), expected) << "voice " << c + 1;
    }
    // Deferred: the mutes themselves wait for the mixer's next step boundary.
    EXPECT_EQ(synth.voices[4].mute.load(), 0);
    for (int32_t p = 256; p <= 383; p++) {
        synth.song_position.store(p, std::memory_order_relaxed);
        director_step();
    }
    for (int v : transposed_voices)  // the song has no voice 0: ignored there
        EXPECT_EQ(synth.voices[v].transpose.load(),
                  synth_voice_in_use(v) ? director.song_transpose : 0)
            << v;
    for (int v : {7, 10, 11})
        EXPECT_EQ(synth.voices[v].transpose.load(), 0) << v;
}

}  // namespace
