#include "synth/synth.h"
#include "synth_test_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int STEP = 5292;  // frames a step at 125 bpm

// Sets every rendered sample of the voice to the value.
void flatten_note(int voice, float value)
{
    for (float &s : synth.voices[voice].note_samples)
        s = value;
}

TEST(SynthMix, FirstFrameIsAStepBoundary)
{
    load_song(one_voice_song("p0:c4,d4"));
    mix_frames(1);
    EXPECT_EQ(synth_song_position(), 0);
    EXPECT_EQ(synth.voices[1].track_index, 0);
    EXPECT_EQ(synth.voices[1].row, 0);
    EXPECT_GT(synth.voices[1].phase, 0.0f);
    mix_frames(STEP - 2);
    EXPECT_EQ(synth_song_position(), 0);
    mix_frames(1);  // frame STEP - 1, the last of the first step
    EXPECT_EQ(synth_song_position(), 0);
    mix_frames(1);
    EXPECT_EQ(synth_song_position(), 1);
    EXPECT_EQ(synth.voices[1].row, 1);
}

TEST(SynthMix, TransposeIsClampedToTheNoteTable)
{
    struct Case {
        int transpose;
        int note;
    };
    const Case cases[] = {{0, 36}, {24, 60}, {40, 71}, {-50, 0}, {-36, 0}, {2147483647, 71}};
    for (const Case &c : cases) {
        load_song(one_voice_song("p0:c4"));
        synth_set_transpose(1, c.transpose);
        mix_frames(1);
        EXPECT_EQ(synth.voices[1].rate, (float)synth.note_table[c.note] * (1.0f / 262.0f))
            << c.transpose;
    }
}

TEST(SynthMix, TransposeActsOnLaterNotesOnly)
{
    load_song(one_voice_song("p0:c4,c4"));
    mix_frames(10);
    synth_set_transpose(1, 12);
    EXPECT_EQ(synth.voices[1].rate, 261.0f * (1.0f / 262.0f));
    mix_frames(STEP);
    EXPECT_EQ(synth.voices[1].rate, 523.0f * (1.0f / 262.0f));
}

TEST(SynthMix, NoteRestartsOnASoundingVoice)
{
    load_song(one_voice_song("p0:c4,c4"));
    mix_frames(STEP);
    float rate = synth.voices[1].rate;
    EXPECT_GT(synth.voices[1].phase, 5000.0f);
    mix_frames(1);
    EXPECT_EQ(synth.voices[1].phase, rate);  // read from sample 0 again
}

TEST(SynthMix, EventsOfAPattern)
{
    load_song(one_voice_song("p0:c4,vol,50,sld,-20,echo1,echo0,stop,c4,-"));
    const Voice &v = synth.voices[1];
    mix_frames(1);
    EXPECT_GE(v.phase, 0.0f);
    mix_frames(STEP);  // vol
    EXPECT_EQ(v.volume, 0.5f);
    EXPECT_EQ(v.row, 2);
    mix_frames(STEP);  // sld
    EXPECT_EQ(v.slide, (float)(-20 * 0.00001));
    mix_frames(STEP);
    EXPECT_EQ(v.echo_on, 1);
    mix_frames(STEP);
    EXPECT_EQ(v.echo_on, 0);
    mix_frames(STEP);  // stop
    EXPECT_EQ(v.phase, -1.0f);
    float rate = 261.0f * (1.0f / 262.0f);
    mix_frames(STEP);  // the slide acts on the new note
    EXPECT_EQ(v.rate, rate + (float)(-20 * 0.00001));
}

TEST(SynthMix, MuteAndResume)
{
    load_song(one_voice_song("p0:c4"));
    std::vector<int> reference = mix_frames(2000);

    load_song(one_voice_song("p0:c4"));
    std::vector<int> before = mix_frames(1000);
    synth_set_mute(1, 1, 0);
    EXPECT_TRUE(all_zero(mix_frames(700)));
    synth_set_mute(1, 0, 0);
    std::vector<int> after = mix_frames(1000);
    EXPECT_EQ(std::vector<int>(before.begin(), before.end()),
              std::vector<int>(reference.begin(), reference.begin() + 2000));
    EXPECT_EQ(after, std::vector<int>(reference.begin() + 2000, reference.end()))
        << "the note resumes where it stopped";
}

TEST(SynthMix, DeferredMuteWaitsForTheStepBoundary)
{
    load_song(one_voice_song("p0:c4"));
    mix_frames(1000);
    synth_set_mute(1, 1, 1);
    std::vector<int> rest_of_step = mix_frames(STEP - 1000);
    EXPECT_FALSE(all_zero(rest_of_step));
    EXPECT_NE(rest_of_step.back(), 0);
    EXPECT_TRUE(all_zero(mix_frames(STEP)));
    synth_set_mute(1, 0, 1);
    mix_frames(STEP - 1);
    EXPECT_FALSE(all_zero(mix_frames(1)));  // heard from the next boundary on
}

TEST(SynthMix, SilenceIsZero)
{
    load_song(one_voice_song("p0:-"));
    EXPECT_TRUE(all_zero(mix_frames(3 * STEP)));
    load_song("");  // no song: only frame 0 is a boundary
    EXPECT_TRUE(all_zero(mix_frames(10000)));
    EXPECT_EQ(synth_song_position(), 0);
}

TEST(SynthMix, FullScaleVoice)
{
    load_song("bpm:125\ni1:sini,10,0,44000,10,0,0,75\np0:c4\nt1:p0,loop\n");
    flatten_note(1, 1.0f);
    std::vector<int> frame = mix_frames(1);
    EXPECT_EQ(frame[0], 8191);
    EXPECT_EQ(frame[1], 2730);
}

TEST(SynthMix, ClampsToPlusMinus32766)
{
    struct Case {
        float sample;
        int left;
        int right;
    };
    const Case cases[] = {{5.0f, 32766, 13652}, {-5.0f, -32766, -13652}, {1000.0f, 32766, 32766}};
    for (const Case &c : cases) {
        load_song("bpm:125\ni1:sini,10,0,44000,10,0,0,75\np0:c4\nt1:p0,loop\n");
        flatten_note(1, c.sample);
        std::vector<int> frame = mix_frames(1);
        EXPECT_EQ(frame[0], c.left) << c.sample;
        EXPECT_EQ(frame[1], c.right) << c.sample;
    }
}

TEST(SynthMix, TempoChangeLandsOnAMultipleCountedFromTheStart)
{
    load_song(one_voice_song("p0:c4"));
    mix_frames(1000);
    synth_set_tempo(120);  // 5512 frames a step from the next buffer
    mix_frames(5512 - 1000);
    EXPECT_EQ(synth.step_length, 5512);
    EXPECT_EQ(synth_song_position(), 0);
    mix_frames(1);  // frame 5512
    EXPECT_EQ(synth_song_position(), 1);
    mix_frames(5000);
    synth_set_tempo(128);  // 5188: next multiple after 10513 is 15564
    mix_frames(15564 - 10513);
    EXPECT_EQ(synth_song_position(), 1);
    mix_frames(1);
    EXPECT_EQ(synth_song_position(), 2);
}

TEST(SynthMix, TrackWithoutLoopRingsOut)
{
    load_song("bpm:125\ni1:sini,10,0,44000,10,0\np0:c4\np1:c3\nt1:p0,p1\n");
    mix_frames(2 * STEP);
    EXPECT_EQ(synth.voices[1].track_index, 1);
    mix_frames(1);
    EXPECT_EQ(synth.voices[1].track_index, TRACK_FINISHED);
    float rate = synth.voices[1].rate;
    EXPECT_EQ(rate, 130.0f * (1.0f / 262.0f));
    EXPECT_FALSE(all_zero(mix_frames(5 * STEP)));  // the last note goes on
    EXPECT_EQ(synth.voices[1].track_index, TRACK_FINISHED);
    EXPECT_EQ(synth_song_position(), 7);
}

TEST(SynthMix, EchoComesBackOneRingPassLater)
{
    // A 13-sample click with the echo on, then silence: the ring gives it
    // back 0.2 as loud, echo_length - 1 frames later, and 0.6 of that again.
    load_song("bpm:125\ni1:kantti,1,0,10,1,0,0,100\np0:echo1,c4,echo0,-,-,-,-,-\nt1:p0,loop\n");
    std::vector<int> out = mix_frames(STEP + 3 * 15876);
    const int E = 15876;
    for (int i = 2; i < 11; i++) {  // the first rendered sample is level 0
        int dry = out[2 * (STEP + i)];
        EXPECT_NE(dry, 0) << i;
        EXPECT_NEAR(out[2 * (STEP + E - 1 + i)], dry * 0.2, 1.0) << i;
        EXPECT_NEAR(out[2 * (STEP + 2 * (E - 1) + i)], dry * 0.12, 1.0) << i;
    }
    EXPECT_EQ(out[2 * (STEP + 100)], 0);
}

TEST(SynthMix, VoiceWalkStopsAtTheFirstVoiceWithoutTrack)
{
    load_song("bpm:125\ni1:sini,10,0,44000,10,0\ni3:sini,10,0,44000,10,0\np0:c4\nt1:p0,loop\nt3:p0,"
              "loop\n");
    mix_frames(10);
    EXPECT_EQ(synth.voices[1].track_index, 0);
    EXPECT_EQ(synth.voices[3].track_index, TRACK_NOT_STARTED);
    EXPECT_EQ(synth.voices[3].phase, -1.0f);
}

TEST(SynthMix, UnplayableTracksAreSilentButKeepTheWalkGoing)
{
    // Voice 1 has no instrument, voice 2 names only an empty pattern.
    load_song("bpm:125\ni2:sini,10,0,44000,10,0\ni3:sini,10,0,44000,10,0\np0:c4\n"
              "t1:p0,loop\nt2:p7,loop\nt3:p0,loop\n");
    std::vector<int> out = mix_frames(3 * STEP);
    EXPECT_EQ(synth.voices[1].phase, -1.0f);
    EXPECT_EQ(synth.voices[2].track_index, TRACK_FINISHED);
    EXPECT_EQ(synth.voices[2].phase, -1.0f);
    EXPECT_GE(synth.voices[3].phase, 0.0f);
    EXPECT_FALSE(all_zero(out));
}

TEST(SynthMix, BufferSizeDoesNotChangeTheOutput)
{
    const std::string song =
        "bpm:125\ni1:saha,100,0,3000,9000,0,0,50,60\ni2:kantti,20,0,100,3000,0,0,30\n"
        "i3:kohina,5,0,100,4000,0,-20,70,20\n"
        "p0:echo1,c3,-,g3,vol,70,e3,sld,3,b2\np1:c5,stop,C4,-,echo1\np2:c6,c4,-\n"
        "t1:p0,loop\nt2:p1,p0,loop\nt3:p2,loop\n";
    load_song(song);
    std::vector<int> whole = mix_frames(60000);
    for (int buffer : {1, 333, 1024, 5292, 4096}) {
        load_song(song);
        std::vector<int> pieces;
        for (int done = 0; done < 60000; done += buffer) {
            std::vector<int> part = mix_frames(std::min(buffer, 60000 - done));
            pieces.insert(pieces.end(), part.begin(), part.end());
        }
        EXPECT_EQ(pieces, whole) << buffer;
    }
}

TEST(SynthMix, CountingPastTheLargest32BitCounter)
{
    // Starting at a multiple of the echo ring (three steps) just below
    // 2^31 mixes what starting at 0 does, across 2^31 and on.
    load_song(one_voice_song("p0:echo1,c4,c5,-"));
    std::vector<int> from_zero = mix_frames(100000);
    load_song(one_voice_song("p0:echo1,c4,c5,-"));
    synth.sample_counter = (int64_t)135266 * 15876;  // 2147483016
    std::vector<int> from_far = mix_frames(100000);
    EXPECT_EQ(from_far, from_zero);
    EXPECT_GT(synth.sample_counter, (int64_t)2147483647);
    EXPECT_EQ(synth_song_position(), 100000 / STEP);
}

TEST(SynthMix, AudioCallbackFillsLengthOverFourFrames)
{
    load_song(one_voice_song("p0:c4"));
    std::vector<uint8_t> stream(4099, 0xAB);
    audio_callback(nullptr, stream.data(), 4099);
    EXPECT_EQ(synth.sample_counter, 1024);
    EXPECT_EQ(stream[4096], 0xAB);
}

}  // namespace
