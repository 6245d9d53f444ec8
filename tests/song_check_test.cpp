#include "synth/synth.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// The problems of a text as "LINE: reason" lines.
std::string problems_of(const std::string &text)
{
    std::string out;
    for (const SongProblem &p : song_check(text))
        out += std::to_string(p.line) + ": " + p.reason + "\n";
    return out;
}

const char good_song[] =
    "bpm:125\ni1:saha,200,100,2000,4000,0,0,60,30\ni2:kohina,10,0,0,1500,0,-40,40\n"
    "p0:c2,-,-,c2,vol,50,D2,-,stop\np1:c4,-,-,-\nt1:p0,p0,loop\nt2:p1,loop\n";

TEST(SongCheck, AWellFormedSongHasNoProblem)
{
    EXPECT_EQ(problems_of(good_song), "");
    EXPECT_EQ(problems_of("# comment\n\n  bpm : 120\r\nbpm:125\ni1:sini,1,0,0,1,0\np0:c4\nt1:p0\n"),
              "");
}

TEST(SongCheck, Breaches)
{
    struct Case {
        const char *text;
        const char *expected;
    };
    const Case cases[] = {
        {"i1:sini,1,0,0,1,0\np0:c4\nt1:p0",
         "0: no tempo line\n1: instrument before any tempo line: it has no echo\n"},
        {"bpm\n", "0: no tempo line\n1: tempo line without a tempo; ignored\n"},
        {"bpm:2\n", "1: tempo 2 below 3; played as 3\n"},
        {"bpm:125\ni1:sini,1,0,0,1,0\nbpm:120\np0:c4\nt1:p0",
         "3: tempo line after the instrument line 2\n"},
        {"bpm:125\ni30:sini,1,0,0,1,0\n", "2: instrument number 30 outside 0..29; line ignored\n"},
        {"bpm:125\np1000:c4\n", "2: pattern number 1000 outside 0..999; line ignored\n"},
        {"bpm:125\nt-1:p0\n", "2: track number -1 outside 0..29; line ignored\n"},
        {"bpm:125\ni1:sini,1,0\np0:c4\nt1:p0",
         "2: instrument has 3 of its 6 required fields; the missing ones read as 0\n"},
        {"bpm:125\ni1:sini,-1,0,0,1,0\np0:c4\nt1:p0", "2: attack -1 outside 0..176400; clamped\n"},
        {"bpm:125\ni1:sini,1,0,0,1,0,0,50,101\np0:c4\nt1:p0",
         "2: filter 101 outside 0..100; clamped\n"},
        {"bpm:125\ni1:sini,1,0,400,1,0,-1000\np0:c4\nt1:p0",
         "2: sweep -1000 drives the table position below 0 at sample 338\n"},
        {"bpm:125\ni1:sini,1,0,0,1,0\np0:c4,vol\nt1:p0",
         "3: \"vol\" or \"sld\" without its parameter; played as a rest\n"},
        {"bpm:125\ni1:sini,1,0,0,1,0\np0:c4\nt1:p0,p1",
         "4: track names pattern 1, which holds no event; left out\n"},
        {"bpm:125\ni1:sini,1,0,0,1,0\np0:c4\nt1:loop,p0", "4: track starts with \"loop\"\n"},
        {"bpm:125\ni1:sini,1,0,0,1,0\np0:c4\nt1:p0,p5000",
         "4: pattern number 5000 outside 0..999; left out\n"},
        {"bpm:125\np0:c4\nt1:p0", "3: track 1 has no instrument line; it is silent\n"},
        {"bpm:125\ni1:sini,1,0,0,1,0\ni3:sini,1,0,0,1,0\np0:c4\nt1:p0\nt3:p0",
         "6: track 3 is not heard: there is no track 2\n"},
        {"bpm:125\ni0:sini,1,0,0,1,0\np0:c4\nt0:p0", "4: track 0 is never heard\n"},
        {"bpm:125\ni1:sini,1,0,0,1,0\ni2:sini,1,0,0,1,0\np0:c4\nt1:\nt2:p0",
         "5: track 1 without entries: no voice after it is heard\n6: track 2 is not heard: there "
         "is no track 1\n"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(problems_of(c.text), c.expected) << c.text;
}

TEST(SongCheck, ListsOverTheirLength)
{
    std::string pattern = "p0:", track = "t1:";
    for (int i = 0; i < 101; i++) {
        pattern += "c4,";
        track += "p0,";
    }
    EXPECT_EQ(problems_of("bpm:125\ni1:sini,1,0,0,1,0\n" + pattern + "\n" + track),
              "3: pattern holds more than 99 entries; 2 left out\n"
              "4: track holds more than 99 entries; 2 left out\n");
}

TEST(SongCheck, LinesPastTheThousandth)
{
    std::string text = "bpm:125\n";
    for (int i = 0; i < 1001; i++)
        text += "#\n";
    EXPECT_EQ(problems_of(text),
              "1001: beyond the 1000th non-empty line: this and what follows is not read\n");
}

TEST(SongCheck, ANulByteEndsTheSong)
{
    using namespace std::string_literals;
    const std::string song = "bpm:125\ni1:sini,1,0,0,1,0\np0:c4\nt1:p0\n"s;
    EXPECT_EQ(problems_of(song + "\0i2:sini,1,0,0,1,0\n"s),
              "5: NUL byte at offset 38: the song ends there\n");
    // Cut inside a line, what the loader reads is checked as it stands.
    EXPECT_EQ(problems_of("bpm:125\ni1:sini,1,0,0,1,0\np0:c4\nt1:\0p0\n"s),
              "4: track 1 without entries: no voice after it is heard\n"
              "4: NUL byte at offset 35: the song ends there\n");
    EXPECT_EQ(problems_of("\0"s),
              "0: no tempo line\n1: NUL byte at offset 0: the song ends there\n");
}

TEST(SongCheck, TheShowsSongIsClean)
{
    FILE *file = fopen(TOBUNA_SOURCE_DIR "/data/hiiri.txt", "rb");
    ASSERT_NE(file, nullptr);
    std::string text;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, got);
    fclose(file);
    EXPECT_EQ(problems_of(text), "");
}

}  // namespace
