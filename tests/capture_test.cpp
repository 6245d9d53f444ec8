// The capture tool's runs in one process: determinism, the virtual clock's
// sync between picture and sound, sections, the ending and the long run.
// Runs from the source folder, where data/ is.
#include "capture.h"
#include "offscreen.h"

#include <png.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> read_lines(const std::string &path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The whole number after "key": in a trace line.
long field(const std::string &line, const char *key)
{
    std::string k = std::string("\"") + key + "\":";
    size_t at = line.find(k);
    EXPECT_NE(at, std::string::npos) << key << " in " << line;
    return at == std::string::npos ? -1 : std::stol(line.substr(at + k.size()));
}

// RGB rows from the top of a PNG of the given size; empty if it is not one.
std::vector<uint8_t> read_png_rgb(const std::string &path, int width, int height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    bool ok = (int)image.width == width && (int)image.height == height &&
              png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr);
    png_image_free(&image);
    return ok ? rgb : std::vector<uint8_t>{};
}

class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/capture_test_XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir = name;
    }
    void TearDown() override
    {
        std::system(("rm -rf '" + dir + "'").c_str());
    }

    // A seeded, quiet capture into this test's folder.
    CaptureOptions options(unsigned seed, double duration)
    {
        CaptureOptions o;
        o.seeded = true;
        o.seed = seed;
        o.duration = duration;
        o.duration_given = true;
        o.quiet = true;
        return o;
    }
    CaptureStats run(const CaptureOptions &o)
    {
        CaptureStats stats;
        EXPECT_EQ(capture_run(o, &stats), CAPTURE_OK);
        return stats;
    }
    std::string path(const char *name) const
    {
        return dir + "/" + name;
    }
    std::string dir;
};

TEST_F(CaptureTest, OneSeedGivesOneShowTwiceInAProcessAndAnotherSeedAnother)
{
    // Past the title and the first transposition (46 s), so that acts,
    // spawns, transpositions and the noise voices all count.
    CaptureOptions o = options(7, 60.0);
    o.no_video = true;
    o.trace_path = path("a.jsonl");
    o.wav_path = path("a.wav");
    run(o);
    o.trace_path = path("b.jsonl");
    o.wav_path = path("b.wav");
    run(o);
    EXPECT_TRUE(read_file(path("a.jsonl")) == read_file(path("b.jsonl")));
    EXPECT_TRUE(read_file(path("a.wav")) == read_file(path("b.wav")));

    o.seed = 8;
    o.trace_path = path("c.jsonl");
    o.wav_path = path("c.wav");
    run(o);
    EXPECT_FALSE(read_file(path("a.jsonl")) == read_file(path("c.jsonl")));
    EXPECT_FALSE(read_file(path("a.wav")) == read_file(path("c.wav")));
}

TEST_F(CaptureTest, DrawnFramesAreTheSameTwiceInAProcess)
{
    CaptureOptions o = options(3, 0.1);
    o.start = 34.0;
    o.fps = 30;
    o.width = 160;
    o.height = 120;
    o.png_dir = path("a");
    run(o);
    o.png_dir = path("b");
    run(o);
    for (const char *frame : {"/frame_000000.png", "/frame_000002.png"}) {
        std::string a = read_file(path("a") + frame);
        EXPECT_GT(a.size(), 100u) << frame;
        EXPECT_TRUE(a == read_file(path("b") + frame)) << frame;
    }
    EXPECT_NE(access((path("a") + "/frame_000003.png").c_str(), F_OK), 0)
        << "0.1 s at 30 fps is 3 frames";
}

TEST_F(CaptureTest, AnUndrawnRunTracesWhatADrawnOneDoes)
{
    CaptureOptions o = options(5, 36.0);
    o.fps = 24;
    o.width = 64;
    o.height = 48;
    o.trace_path = path("drawn.jsonl");
    run(o);
    o.no_video = true;
    o.trace_path = path("undrawn.jsonl");
    run(o);
    std::vector<std::string> drawn = read_lines(path("drawn.jsonl"));
    ASSERT_EQ(drawn.size(), 36u * 24u);
    EXPECT_EQ(field(drawn.back(), "title_active"), 0) << "the main scene is in the run";
    EXPECT_GT(field(drawn.back(), "mice"), 0);
    EXPECT_EQ(drawn, read_lines(path("undrawn.jsonl")));
}

TEST_F(CaptureTest, StepTwoHundredFiftySixIsSeenOnTheFirstFrameAfterItsFirstSample)
{
    // Step 256 starts at sample 256 * 5292, 30.72 s: the first frame that
    // sees it is the first one strictly later, whatever the frame rate.
    struct Case {
        int fps;
        long first_frame;  // the first k with k / fps > 30.72
    } cases[] = {{75, 2305}, {60, 1844}, {24, 738}};
    for (const Case &c : cases) {
        CaptureOptions o = options(1, 31.0);
        o.fps = c.fps;
        o.no_video = true;
        o.trace_path = path("sync.jsonl");
        run(o);
        std::vector<std::string> lines = read_lines(o.trace_path);
        ASSERT_EQ((long)lines.size(), 31L * c.fps) << c.fps;
        long first = -1;
        for (size_t k = 0; k < lines.size() && first < 0; k++)
            if (field(lines[k], "song_position") >= 256)
                first = (long)k;
        EXPECT_EQ(first, c.first_frame) << c.fps << " fps";
        EXPECT_EQ(field(lines[first - 1], "song_position"), 255) << c.fps << " fps";
        EXPECT_EQ(field(lines[first], "ms"), c.first_frame * 1000 / c.fps);
    }
}

TEST_F(CaptureTest, TheSoundHoldsExactlyTheSectionsFrames)
{
    struct Case {
        double start, duration;
        long frames;
    } cases[] = {{0.0, 1.0, 44100}, {0.0, 2.5, 110250}, {3.25, 0.5, 22050}};
    for (const Case &c : cases) {
        CaptureOptions o = options(2, c.duration);
        o.start = c.start;
        o.no_video = true;
        o.wav_path = path("s.wav");
        CaptureStats stats = run(o);
        EXPECT_EQ(stats.audio_frames, c.frames);
        EXPECT_EQ((long)read_file(o.wav_path).size(), 44 + 4 * c.frames)
            << c.start << " " << c.duration;
    }
}

TEST_F(CaptureTest, ASectionIsTheSameStretchOfTheShow)
{
    CaptureOptions o = options(4, 40.0);
    o.no_video = true;
    o.wav_path = path("whole.wav");
    o.trace_path = path("whole.jsonl");
    run(o);
    o.start = 32.0;
    o.duration = 8.0;
    o.wav_path = path("part.wav");
    o.trace_path = path("part.jsonl");
    run(o);
    std::string whole = read_file(path("whole.wav")), part = read_file(path("part.wav"));
    ASSERT_EQ(part.size(), 44u + 8u * 44100u * 4u);
    EXPECT_TRUE(part.substr(44) == whole.substr(44 + 32u * 44100u * 4u));
    std::vector<std::string> a = read_lines(path("whole.jsonl")),
                             b = read_lines(path("part.jsonl"));
    ASSERT_EQ(b.size(), 8u * 60u);
    // The same frames, numbered from the section's start.
    for (size_t k = 0; k < b.size(); k++) {
        std::string expected = a[32 * 60 + k];
        expected.replace(0, expected.find(','), "{\"frame\":" + std::to_string(k));
        ASSERT_EQ(b[k], expected) << k;
    }
}

TEST_F(CaptureTest, TheFirstMainSceneFrameFollowsTheTitlesEnd)
{
    CaptureOptions o = options(6, 32.0);
    o.no_video = true;
    o.trace_path = path("t.jsonl");
    run(o);
    std::vector<std::string> lines = read_lines(o.trace_path);
    size_t last_title = 0;
    while (last_title + 1 < lines.size() && field(lines[last_title + 1], "title_active") == 1)
        last_title++;
    // The frame whose director step ends the title is still a title frame;
    // the next one is drawn as the main scene.
    ASSERT_LT(last_title + 1, lines.size());
    EXPECT_EQ(field(lines[last_title + 1], "act"), 1);

    CaptureOptions d = options(6, 2.0 / 60.0);
    d.start = (double)(last_title + 1) / 60.0;
    d.width = 160;
    d.height = 120;
    d.png_dir = path("f");
    run(d);
    // Frame 0 of the section is the last title frame: the title's white.
    // Frame 1 is the main scene's first: its background colour, the floor
    // only compiled.
    std::vector<uint8_t> title = read_png_rgb(path("f") + "/frame_000000.png", 160, 120);
    std::vector<uint8_t> scene = read_png_rgb(path("f") + "/frame_000001.png", 160, 120);
    ASSERT_FALSE(title.empty());
    ASSERT_FALSE(scene.empty());
    EXPECT_EQ(title[0], 255);
    EXPECT_EQ(title[1], 255);
    EXPECT_EQ(title[2], 255);
    // The World's start background, 0.3 0.2 0.1, in the corner.
    EXPECT_NEAR(scene[0], 77, 1);
    EXPECT_NEAR(scene[1], 51, 1);
    EXPECT_NEAR(scene[2], 26, 1);
    // No white floor cell anywhere: the floor's list is only compiled.
    for (size_t i = 0; i < scene.size(); i += 3)
        ASSERT_FALSE(scene[i] == 255 && scene[i + 1] == 255 && scene[i + 2] == 255) << i / 3;
}

TEST_F(CaptureTest, EscapeEndsAfterTheEndingAndAClickAtOnce)
{
    CaptureOptions o = options(9, 0.0);
    o.duration_given = false;
    o.no_video = true;
    o.escape_at = 50.0;
    o.trace_path = path("e.jsonl");
    CaptureStats stats = run(o);
    std::vector<std::string> lines = read_lines(o.trace_path);
    ASSERT_FALSE(lines.empty());
    // Every mouse runs down and spins away, about 1.8 s, then the show ends.
    double ended = (double)stats.end_sample / 44100.0;
    EXPECT_GT(ended, 50.5);
    EXPECT_LT(ended, 53.0);
    EXPECT_EQ(field(lines.back(), "mice"), 0);
    EXPECT_GT(field(lines[(size_t)(50 * 60) - 1], "mice"), 0) << "mice were there to send away";
    EXPECT_EQ(stats.audio_frames, stats.end_sample);

    // Escape during the title: no mouse to wait for, the next pass ends it.
    o.escape_at = 10.0;
    stats = run(o);
    EXPECT_EQ(stats.end_sample, 10 * 44100);
    EXPECT_EQ(stats.video_frames, 600);

    o.escape_at = -1.0;
    o.click_at = 40.0;
    stats = run(o);
    EXPECT_EQ(stats.end_sample, 40 * 44100);
    EXPECT_EQ(stats.video_frames, 2400) << "no frame at or after the click";
}

TEST_F(CaptureTest, HalfAnHourOfShowTimeStaysBoundedAndFinite)
{
    // Finite positions and colours are checked inside the run, every frame:
    // a value that is not fails it.
    CaptureOptions o = options(11, 1800.0);
    o.no_video = true;
    o.trace_path = path("long.jsonl");
    CaptureStats stats = run(o);
    EXPECT_EQ(stats.video_frames, 1800 * 60);
    EXPECT_EQ(stats.acts_played[0], 1);
    EXPECT_GE(stats.acts_played[1], 5);
    EXPECT_GE(stats.acts_played[2], 5);
    EXPECT_LE(stats.most_mice, 60);
    EXPECT_LE(stats.most_balls, 40);
    EXPECT_GT(stats.mice_allocated, 100);
    std::vector<std::string> lines = read_lines(o.trace_path);
    ASSERT_EQ(lines.size(), 1800u * 60u);
    EXPECT_EQ(field(lines.back(), "frame"), 1800 * 60 - 1);
}

}  // namespace
