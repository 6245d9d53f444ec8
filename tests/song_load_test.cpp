#include "synth/synth.h"
#include "synth_test_util.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Entries of a list up to and including its end marker.
std::vector<int> entries(const int32_t *list)
{
    std::vector<int> out;
    for (int i = 0; i < SYNTH_LIST_LENGTH; i++) {
        out.push_back(list[i]);
        if (list[i] == LIST_END)
            break;
    }
    return out;
}

TEST(SongLoad, StripBlanks)
{
    char text[] = " a\r\nb c \t\r";
    strip_blanks(text);
    EXPECT_STREQ(text, "a\nbc\t");
}

TEST(SongLoad, CarriageReturnsAndSpacesAreRemovedFirst)
{
    const std::string plain =
        "bpm:125\ni1:saha,200,100,2000,4000,0,0,60,30\np0:c4,e4\nt1:p0,loop\n";
    const std::string dressed =
        "  bpm : 125\r\n\r\n   i1: saha, 200,100 ,2000,4000,0,0,60,30\r\n  # a comment\r\n"
        "p0:c 4,e4\r\n\tt1:p0,loop\r\n";
    load_song(plain);
    std::vector<int> pattern = entries(synth.patterns[0]);
    std::vector<float> note = synth.voices[1].note_samples;
    load_song(dressed);
    EXPECT_EQ(entries(synth.patterns[0]), pattern);
    EXPECT_EQ(synth.voices[1].note_samples, note);
    EXPECT_EQ(synth.voices[1].pan, 0.6f);
    EXPECT_EQ(synth.voices[1].filter, 0.3f);
    // The tab before "t1" stays, so that line is no track line.
    EXPECT_FALSE(synth_voice_in_use(1));
}

TEST(SongLoad, TempoLine)
{
    struct Case {
        const char *line;
        int32_t step;
        int32_t echo;
    };
    const Case cases[] = {
        {"bpm:120", 5512, 16536},
        {"bpm:125", 5292, 15876},
        {"bpm:128", 5188, 15564},
        {"bpm:125x", 5292, 15876},  // atoi reads the leading digits
        {"bpm::125", 5292, 15876},
        {"bpm:1", 264600, 793800},  // below 3 counts as 3
        {"bpm", 0, 0},              // no tempo: ignored
        {"bpmx:120", 0, 0},         // not exactly "bpm"
    };
    for (const Case &c : cases) {
        load_song(c.line);
        EXPECT_EQ(synth.step_length, c.step) << c.line;
        EXPECT_EQ(synth.echo_length, c.echo) << c.line;
    }
}

TEST(SongLoad, PatternLines)
{
    struct Case {
        const char *line;
        int number;
        std::vector<int> entries;
    };
    const Case cases[] = {
        {"p3:c4,,e4", 3, {36, 40, -2}},
        {"p3:c4,-,e4", 3, {36, 77, 40, -2}},
        {"p3:c4,vol,50,e4", 3, {36, 75, 50, 40, -2}},
        {"p3:sld,-20,C1,b6,echo1,echo0,stop", 3, {76, -20, 1, 71, 72, 73, 74, -2}},
        {"p007:C4,c4x,0,C", 7, {37, 77, 77, 77, -2}},  // "0" ends the name table, never a token
        {"pattern12:a4", 0, {45, -2}},  // any word starting with p; "attern12" reads as 0
        {"p3:vol", 3, {77, -2}},        // a parameter missing: a rest
        {"p3:", 3, {-2}},
    };
    for (const Case &c : cases) {
        load_song(c.line);
        EXPECT_EQ(entries(synth.patterns[c.number]), c.entries) << c.line;
    }
}

TEST(SongLoad, SecondPatternLineOverwritesFromTheStart)
{
    load_song("p3:c4,d4,e4\np3:g4");
    EXPECT_EQ(entries(synth.patterns[3]), (std::vector<int>{43, -2}));
}

TEST(SongLoad, ListsHoldAtMost99Entries)
{
    std::string pattern = "p1:";
    std::string track = "t1:";
    for (int i = 0; i < 120; i++) {
        pattern += "c4,";
        track += "p1,";
    }
    load_song("bpm:125\ni1:sini,1,0,0,1,0\n" + pattern + "\n" + track);
    EXPECT_EQ(entries(synth.patterns[1]).size(), 100u);
    EXPECT_EQ(synth.patterns[1][99], LIST_END);
    EXPECT_EQ(entries(synth.voices[1].track).size(), 100u);

    // A volume change and its parameter fit together or not at all.
    std::string full = "p2:";
    for (int i = 0; i < 98; i++)
        full += "c4,";
    load_song(full + "vol,50,e4");
    EXPECT_EQ(entries(synth.patterns[2]).size(), 99u);
    EXPECT_EQ(synth.patterns[2][97], 36);
    EXPECT_EQ(synth.patterns[2][98], LIST_END);
}

TEST(SongLoad, TrackLines)
{
    struct Case {
        const char *text;
        std::vector<int> entries;
    };
    const Case cases[] = {
        {"p0:c4\np2:c4\np5:c4\nt1:p0,p2,loop", {0, 2, -3, -2}},
        {"p0:c4\np2:c4\np5:c4\nt1:x5", {5, -2}},
        {"p0:c4\np2:c4\nt1:p0,p-3,p1000,p2", {0, 2, -2}},       // numbers outside 0..999 left out
        {"p0:c4\np2:c4\nt1:p0,p7,p2,loop,p0", {0, 2, -3, -2}},  // pattern 7 is empty
        {"p0:c4\nt1:loop,p0", {0, -2}},                         // a leading loop is dropped
    };
    for (const Case &c : cases) {
        load_song(c.text);
        EXPECT_EQ(entries(synth.voices[1].track), c.entries) << c.text;
    }
}

TEST(SongLoad, NumbersOutsideTheirRangesDropTheLine)
{
    load_song("bpm:125\ni30:sini,10,0,0,10,0\ni-1:sini,10,0,0,10,0\np1000:c4\np-1:c4\n"
              "t30:p0\nt-1:p0\np0:c4\nt1:p0,loop");
    for (int v = 0; v < SYNTH_VOICES; v++)
        EXPECT_EQ(synth.voices[v].note_length, 0) << v;
    EXPECT_TRUE(synth_voice_in_use(1));
    EXPECT_FALSE(synth_voice_in_use(0));
}

TEST(SongLoad, InstrumentRenderLengths)
{
    load_song("bpm:125\ni4:sini,0,0,0,0,0");
    ASSERT_EQ(synth.voices[4].note_length, 1);
    EXPECT_EQ(synth.voices[4].note_samples[0], 0.0f);
    EXPECT_EQ(synth.voices[4].echo_length, 15876);
    EXPECT_EQ(synth.voices[4].echo_buffer.size(), 15876u);

    load_song("bpm:125\ni4:sini,10,0,0,10,0");
    const Voice &v = synth.voices[4];
    ASSERT_EQ(v.note_length, 21);
    // Attack from level 0 by 0.1 a sample on the sine read at 1 entry a sample.
    float e = 0.0f;
    for (int i = 0; i < 10; i++) {
        EXPECT_EQ(v.note_samples[i], synth.sine[i] * e) << i;
        e += 0.1f;
    }
    EXPECT_EQ(v.note_samples[0], 0.0f);
    float h = e / 10.0f;
    for (int i = 10; i < 20; i++) {
        EXPECT_EQ(v.note_samples[i], synth.sine[i] * e) << i;
        e -= h;
    }
    EXPECT_EQ(v.note_samples[20], 0.0f);
}

TEST(SongLoad, DecayFallsAtTheAttackSlope)
{
    load_song("bpm:125\ni1:kantti,4,6,2,1,0");
    const Voice &v = synth.voices[1];
    ASSERT_EQ(v.note_length, 14);
    // Square entries 0..13 are all -1: the samples are minus the level.
    const float level[] = {0,     0.25f, 0.5f,   0.75f, 1,     0.75f, 0.5f,
                           0.25f, 0,     -0.25f, -0.5f, -0.5f, -0.5f};
    for (int i = 0; i < 13; i++)
        EXPECT_FLOAT_EQ(v.note_samples[i], -level[i]) << i;
    EXPECT_EQ(v.note_samples[13], 0.0f);
}

TEST(SongLoad, InstrumentOptionalFields)
{
    load_song("bpm:125\ni2:saha,1,0,0,1,0\ni3:saha,1,0,0,1,0,0,60\ni5:saha,1,0,0,1,0,0,60,250\n"
              "i6:saha,1,0,0,1,0,0,60,-10");
    EXPECT_EQ(synth.voices[2].pan, 0.75f);  // default pans kept
    EXPECT_EQ(synth.voices[3].pan, 0.6f);
    EXPECT_EQ(synth.voices[3].filter, 0.0f);
    EXPECT_EQ(synth.voices[5].filter, 1.0f);  // clamped to 0..1
    EXPECT_EQ(synth.voices[6].filter, 0.0f);
}

TEST(SongLoad, WaveformCarriesOverBetweenLines)
{
    load_song("bpm:125\ni1:bogus,1,0,40,1,0\ni2:saha,1,0,40,1,0\ni3:bogus,1,0,40,1,0");
    // Before any named waveform an unknown name is the square.
    EXPECT_EQ(synth.voices[1].note_samples[1], synth.square[1]);
    EXPECT_EQ(synth.voices[2].note_samples[30], synth.saw[30]);
    EXPECT_EQ(synth.voices[3].note_samples[30], synth.saw[30]);
}

TEST(SongLoad, RingAndSweep)
{
    load_song("bpm:125\ni1:sini,1,0,100,1,100\ni2:sini,1,0,300,1,0,1000");
    const Voice &ring = synth.voices[1];
    float phi = (float)(2.0 * M_PI / 168.0), a = 0.0f;
    for (int i = 1; i <= 2; i++)
        a += phi;
    EXPECT_EQ(ring.note_samples[2], (float)((double)synth.sine[2] * std::sin((double)a)));
    // Sweep 1000: the step grows by 1/168 a sample, so the position runs
    // ahead of the sample index.
    const Voice &sweep = synth.voices[2];
    float g = (float)(1000.0 * 0.001 / 168.0), p = 0.0f, s = 1.0f;
    for (int i = 0; i < 200; i++) {
        p += s;
        s += g;
    }
    EXPECT_EQ(sweep.note_samples[200], synth.sine[(int)p % 168]);
}

TEST(SongLoad, NegativeSweepWrapsInsteadOfReadingBeforeTheTable)
{
    // Sweep -1000 turns the position back after 168 samples and below 0
    // after 336: from there it reads the table from its end.
    load_song("bpm:125\ni1:saha,1,0,600,1,0,-1000");
    const Voice &v = synth.voices[1];
    float g = (float)(-1000.0 * 0.001 / 168.0), p = 0.0f, s = 1.0f;
    int wrapped = 0;
    for (int i = 0; i < v.note_length - 2; i++) {
        int index = (int)p % 168;
        if (index < 0) {
            index += 168;
            wrapped++;
        }
        EXPECT_EQ(v.note_samples[i], i == 0 ? 0.0f : synth.saw[index]) << i;
        p += s;
        s += g;
    }
    EXPECT_GT(wrapped, 100);
}

TEST(SongLoad, EnvelopeLengthsAreClamped)
{
    load_song("bpm:125\ni1:sini,-5,-5,-5,-5,0\ni2:sini,2000000000,2000000000,10,10,0");
    EXPECT_EQ(synth.voices[1].note_length, 1);
    EXPECT_EQ(synth.voices[2].note_length, 2 * 176400 + 10 + 10 + 1);
}

TEST(SongLoad, InstrumentBeforeTempoHasNoEcho)
{
    load_song("i1:sini,1,0,10,1,0\nbpm:120\ni2:sini,1,0,10,1,0");
    EXPECT_EQ(synth.voices[1].echo_length, 0);
    EXPECT_TRUE(synth.voices[1].echo_buffer.empty());
    EXPECT_EQ(synth.voices[2].echo_length, 16536);
}

TEST(SongLoad, EmptyFileAndMissingFile)
{
    load_song("");
    for (int v = 0; v < SYNTH_VOICES; v++)
        EXPECT_FALSE(synth_voice_in_use(v));
    EXPECT_EQ(synth_load_song("/nonexistent/hiiri.txt"), -1);
}

TEST(SongLoad, ReadsTheFirst1000NonEmptyLines)
{
    std::string text = "bpm:125\n\n\n";
    for (int i = 1; i < 1200; i++)
        text += "p" + std::to_string(i) + ":c4\n\n";
    load_song(text);
    EXPECT_EQ(synth.patterns[999][0], 36);  // line 1000
    EXPECT_EQ(synth.patterns[998][0], 36);
    EXPECT_EQ(synth.patterns[1][0], 36);
    load_song(text + "p0:c4");  // line 1200: not read
    EXPECT_EQ(synth.patterns[0][0], LIST_END);
}

TEST(SongLoad, ANulByteEndsTheTextAndIsNoted)
{
    using namespace std::string_literals;
    load_song("bpm:120\np0:c4\0\nt1:p0\n"s);
    EXPECT_EQ(synth.song_nul_offset, 13);
    EXPECT_EQ(synth.song_text, "bpm:120\np0:c4");
    EXPECT_EQ(synth.patterns[0][0], 36);
    EXPECT_FALSE(synth_voice_in_use(1));  // after the NUL: not read
    load_song("bpm:120\np0:c4\nt1:p0\n");
    EXPECT_EQ(synth.song_nul_offset, -1);
    EXPECT_TRUE(synth_voice_in_use(1));
}

TEST(SongLoad, OnlyARegularFileIsASong)
{
    char dir[] = "/tmp/tobuna_songXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string fifo = std::string(dir) + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    synth_init(44100);
    errno = 0;
    EXPECT_EQ(synth_load_song(dir), -1);
    EXPECT_EQ(errno, EISDIR);
    errno = 0;
    EXPECT_EQ(synth_load_song(fifo.c_str()), -1);  // refused, not waited on
    EXPECT_EQ(errno, EINVAL);
    errno = 0;
    EXPECT_EQ(synth_load_song((std::string(dir) + "/none").c_str()), -1);
    EXPECT_EQ(errno, ENOENT);
    remove(fifo.c_str());
    rmdir(dir);
    EXPECT_EQ(synth.step_length, 0);  // nothing loaded
}

TEST(SongLoad, FromAFile)
{
    char path[] = "/tmp/tobuna_songXXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    FILE *file = fdopen(fd, "wb");
    fputs("bpm:120\r\np0:c4\r\nt1:p0\r\n", file);
    fclose(file);
    synth_init(44100);
    EXPECT_EQ(synth_load_song(path), 0);
    remove(path);
    EXPECT_EQ(synth.song_nul_offset, -1);
    EXPECT_EQ(synth.step_length, 5512);
    EXPECT_EQ(synth.song_text, "bpm:120\np0:c4\nt1:p0\n");
    EXPECT_TRUE(synth_voice_in_use(1));
}

}  // namespace

// A song that redefines its instruments again and again, with tempo lines,
// unknown waveform names and out-of-range instrument numbers between the
// definitions: each instrument must sound as its last line defines it, with
// the echo of the tempo in force at that line and the waveform carried over
// from the line before it.
std::string redefining_song()
{
    std::string text =
        "i7:saha,30,0,900,300,0,0,10\n"  // before any tempo: no echo unless redefined
        "i8:sini,20,0,700,200,0\n"
        "bpm:120\n"
        "i1:saha,200,100,2000,4000,0,0,60,30\n"
        "i2:kohina,10,0,0,1500,0,-40,40\n"
        "bpm:90\n"
        "i1:sini,300,50,3000,2000,150,5,20\n"
        "i3:bogus,100,0,1000,1000,0,0\n"  // sine, from i1's line
        "i2:kantti,50,20,800,900,0,10\n"  // keeps the pan of 40
        "i40:kohina,10,0,10,10,0\n"       // ignored, waveform too
        "i4:bogus,5,0,400,100,0\n"        // still the square
        "bpm:140\n"
        "i3:saha,20,0,500,600,300,0,70,10\n"
        "i1:kohina,40,10,2000,3000,0,-3\n"
        "i-1:sini,1,0,1,1,0\n"
        "i5:bogus,100,0,4000,100,0\n"  // noise, from i1's line
        "bpm:125\n"
        "i7:kantti,30,0,900,300,0,0,,5\n"
        "i6:sini,10,0,200,50,50,0,50,0\n";
    const char *const waves[] = {"kantti", "sini", "saha", "kohina", "bogus"};
    for (int i = 0; i < 300; i++) {
        if (i % 37 == 36)
            text += "bpm:" + std::to_string(80 + i % 90) + "\n";
        int voice = 1 + i * 7 % 6;
        text += "i" + std::to_string(voice) + ":" + waves[i % 5] + "," +
                std::to_string(5 + i % 40) + "," + std::to_string(i % 13) + "," +
                std::to_string(300 + 17 * i) + "," + std::to_string(100 + 3 * i) + "," +
                std::to_string(i % 4 == 0 ? 0 : 20 * i) + "," + std::to_string(i % 3 - 1) +
                (i % 4 == 1 ? "," + std::to_string(i % 100) : "") + "\n";
    }
    text += "i5:sini,0,0,0,0,0\n"  // one silent sample
            "i5:saha,100,200,3000,2000,0,0\n"
            "p0:echo1,c3,-,e3,-,g3,stop,-,echo0,c4\n"
            "p1:c2,vol,80,-,D2,sld,5,-,-,c2,stop\n"
            "p2:echo1,c4,e4,g4,c5,-,-,-,-\n"
            "p3:G3,-,-,-,echo1,a3,-,-,stop\n"
            "t1:p0,p1,loop\nt2:p1,p2,loop\nt3:p2,loop\nt4:p3,p0,loop\n"
            "t5:p0,loop\nt6:p1,p3,loop\nt7:p2,p0,loop\nt8:p3,loop\n";
    return text;
}

// FNV-1a of mixed frames.
uint64_t mix_checksum(int frames)
{
    std::vector<uint8_t> bytes((size_t)frames * 4);
    synth_mix(bytes.data(), frames);
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t b : bytes)
        hash = (hash ^ b) * 1099511628211ull;
    return hash;
}

TEST(SongLoad, RedefinedInstrumentsMixAsTheirLastLines)
{
    // The checksum of the mix from the loader that rendered every
    // instrument line as it was read.
    load_song(redefining_song());
    EXPECT_EQ(mix_checksum(6 * 44100), 0xd6097002efb7b668ull);
    EXPECT_EQ(synth.voices[1].echo_length, 12600);  // from the tempo at its last line
    EXPECT_EQ(synth.voices[7].echo_length, 15876);
    EXPECT_EQ(synth.voices[8].echo_length, 0);
    EXPECT_EQ(synth.voices[2].filter, 0.0f);
    EXPECT_EQ(synth.voices[1].filter, 0.3f);  // from its first line
}
