#include "synth/synth.h"
#include "synth_test_util.h"

#include <gtest/gtest.h>

namespace {

TEST(SynthState, WavetablesAt44100)
{
    synth_init(44100);
    ASSERT_EQ(synth.table_length, 168);
    ASSERT_EQ(synth.square.size(), 168u);
    for (int j = 0; j < 168; j++)
        EXPECT_EQ(synth.square[j], j < 84 ? -1.0f : 1.0f) << j;
    EXPECT_EQ(synth.sine[0], 0.0f);
    EXPECT_EQ(synth.sine[42], 1.0f);
    EXPECT_EQ(synth.saw[0], 0.0f);
    EXPECT_EQ(synth.saw[83], 0.9880952f);
    EXPECT_EQ(synth.saw[84], -1.0f);
    EXPECT_EQ(synth.noise.size(), 44100u);
    for (float n : synth.noise) {
        ASSERT_GE(n, -1.0f);
        ASSERT_LE(n, 999 * 0.001f);
    }
}

TEST(SynthState, NoiseFollowsTheSeed)
{
    srand(7);
    synth_init(44100);
    std::vector<float> first = synth.noise;
    srand(7);
    synth_init(44100);
    EXPECT_EQ(first, synth.noise);
    srand(7);
    EXPECT_EQ(first[0], (float)(rand() % 2000 - 1000) * 0.001f);
}

TEST(SynthState, NoteTable)
{
    synth_init(44100);
    const int expected[72] = {
        32,   34,   36,   38,   41,   43,   46,   49,   51,   55,   58,   61,  65,  69,  73,
        77,   82,   87,   92,   98,   103,  110,  116,  123,  130,  138,  146, 155, 164, 174,
        185,  196,  207,  220,  233,  247,  261,  277,  293,  311,  329,  349, 370, 392, 415,
        440,  466,  494,  523,  554,  587,  622,  659,  698,  740,  784,  830, 880, 932, 988,
        1047, 1109, 1175, 1245, 1319, 1397, 1480, 1568, 1661, 1760, 1864, 1976};
    for (int k = 0; k < 72; k++)
        EXPECT_EQ(synth.note_table[k], expected[k]) << event_names[k];
}

TEST(SynthState, EventNames)
{
    struct Case {
        int code;
        const char *name;
    };
    const Case cases[] = {{0, "c1"},    {1, "C1"},   {11, "b1"},    {36, "c4"},
                          {45, "a4"},   {71, "b6"},  {72, "echo1"}, {73, "echo0"},
                          {74, "stop"}, {75, "vol"}, {76, "sld"},   {77, "0"}};
    for (const Case &c : cases)
        EXPECT_STREQ(event_names[c.code], c.name);
}

TEST(SynthState, VoiceDefaults)
{
    synth_init(44100);
    EXPECT_EQ(synth.voices[0].pan, 0.75f);
    EXPECT_EQ(synth.voices[1].pan, 0.25f);
    EXPECT_EQ(synth.voices[29].pan, 0.25f);
    for (int v = 0; v < SYNTH_VOICES; v++) {
        EXPECT_EQ(synth.voices[v].volume, 1.0f);
        EXPECT_EQ(synth.voices[v].phase, -1.0f);
        EXPECT_EQ(synth.voices[v].track_index, TRACK_NOT_STARTED);
        EXPECT_FALSE(synth_voice_in_use(v));
    }
    EXPECT_EQ(synth.step_length, 0);
    EXPECT_EQ(synth.echo_length, 0);
    EXPECT_EQ(synth.pending_step_length, -1);
    EXPECT_EQ(synth_song_position(), 0);
}

TEST(SynthState, PlayNoteRate)
{
    load_song(one_voice_song("p0:-"));
    synth_play_note(1, 45);
    EXPECT_EQ(synth.voices[1].phase, 0.0f);
    EXPECT_EQ(synth.voices[1].rate, 1.6793894f);
    synth.voices[1].transpose = 12;  // not applied by a played note
    synth_play_note(1, 45);
    EXPECT_EQ(synth.voices[1].rate, 1.6793894f);
    synth_play_note(1, 72);  // not a note: ignored
    EXPECT_EQ(synth.voices[1].rate, 1.6793894f);
}

TEST(SynthState, ControlsIgnoreVoicesNotInUse)
{
    load_song(one_voice_song("p0:-"));
    for (int voice : {-1, 2, 30}) {
        synth_set_mute(voice, 1, 0);
        synth_set_transpose(voice, 5);
        synth_set_volume(voice, 0.5f);
        synth_play_note(voice, 45);
    }
    for (int v = 0; v < SYNTH_VOICES; v++) {
        EXPECT_EQ(synth.voices[v].mute.load(), 0);
        EXPECT_EQ(synth.voices[v].pending_mute.load(), 0);
        EXPECT_EQ(synth.voices[v].transpose.load(), 0);
        EXPECT_EQ(synth.voices[v].volume, 1.0f);
        EXPECT_EQ(synth.voices[v].phase, -1.0f);
    }
    synth_set_volume(1, 0.5f);
    EXPECT_EQ(synth.voices[1].volume, 0.5f);
}

TEST(SynthState, MuteDeferredOrNot)
{
    load_song(one_voice_song("p0:-"));
    synth_set_mute(1, 1, 1);
    EXPECT_EQ(synth.voices[1].pending_mute.load(), 1);
    EXPECT_EQ(synth.voices[1].mute.load(), 0);
    synth_set_mute(1, 0, 0);
    EXPECT_EQ(synth.voices[1].pending_mute.load(), 0);
    synth_set_mute(1, 1, 0);
    EXPECT_EQ(synth.voices[1].mute.load(), 1);
}

TEST(SynthState, StepLengthOfTempo)
{
    struct Case {
        int tempo;
        int32_t frames;
    };
    const Case cases[] = {
        {120, 5512}, {125, 5292},     {128, 5188},  // 128: (1280 / 25) is 51, not 51.2
        {3, 264600}, {2, 264600},     {0, 264600}, {-50, 264600},  // below 3 counts as 3
        {661500, 1}, {2147483647, 1},  // never below one frame, never an overflow
    };
    for (const Case &c : cases)
        EXPECT_EQ(synth_step_length_of(44100, c.tempo), c.frames) << c.tempo;
}

TEST(SynthState, SetTempoWaitsForTheMixer)
{
    load_song(one_voice_song("p0:-"));
    synth_set_tempo(120);
    EXPECT_EQ(synth.pending_step_length, 5512);
    EXPECT_EQ(synth.step_length, 5292);
    EXPECT_EQ(synth.echo_length, 15876);
}

}  // namespace
