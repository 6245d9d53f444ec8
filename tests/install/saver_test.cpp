// The hack's options, the daemon's window id, the size it follows, its input
// rule, and where the installed data is looked for.
#include "shell/install_data.h"
#include "shell/saver.h"
#include "shell/shell.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

struct ArgsCase {
    std::vector<const char *> argv;
    int sound;
    const char *bad;
};

TEST(SaverArgs, RootIsAcceptedSoundIsAskedForOthersAreRefused)
{
    const ArgsCase cases[] = {
        {{"tobuna"}, SAVER_SILENT, nullptr},
        {{"tobuna", "-root"}, SAVER_SILENT, nullptr},
        {{"tobuna", "--root"}, SAVER_SILENT, nullptr},
        {{"tobuna", "--sound"}, SAVER_SOUND, nullptr},
        {{"tobuna", "-root", "-sound"}, SAVER_SOUND, nullptr},
        {{"tobuna", "--sound", "--root"}, SAVER_SOUND, nullptr},
        {{"tobuna", "-w"}, SAVER_SILENT, "-w"},
        {{"tobuna", "-root", "640", "480"}, SAVER_SILENT, "640"},
        {{"tobuna", "--soundx"}, SAVER_SILENT, "--soundx"},
        {{"tobuna", ""}, SAVER_SILENT, ""},
    };
    for (const ArgsCase &c : cases) {
        SaverArgs args = saver_parse_args((int)c.argv.size(), c.argv.data());
        EXPECT_EQ(args.sound, c.sound) << c.argv.size();
        if (c.bad)
            EXPECT_STREQ(args.bad, c.bad);
        else
            EXPECT_EQ(args.bad, nullptr);
    }
}

TEST(SaverWindowId, HexadecimalAsTheDaemonWritesItOrDecimal)
{
    EXPECT_EQ(saver_window_id("0x1a00005"), 0x1a00005ul);
    EXPECT_EQ(saver_window_id("0X1A00005"), 0x1a00005ul);
    EXPECT_EQ(saver_window_id("27262981"), 27262981ul);
    EXPECT_EQ(saver_window_id(""), 0ul);
    EXPECT_EQ(saver_window_id("0x"), 0ul);
    EXPECT_EQ(saver_window_id("window"), 0ul);
    EXPECT_EQ(saver_window_id("12 "), 0ul);
    EXPECT_EQ(saver_window_id("-5"), 0ul);
    EXPECT_EQ(saver_window_id("0x1g"), 0ul);
    EXPECT_EQ(saver_window_id("99999999999999999999999"), 0ul);
}

TEST(SaverSize, OnlyADifferentSizeNeedsANewViewport)
{
    SaverWindow window = {1, 640, 480, nullptr};
    EXPECT_FALSE(saver_size_changed(window, 640, 480));
    EXPECT_TRUE(saver_size_changed(window, 641, 480));
    EXPECT_TRUE(saver_size_changed(window, 640, 479));
}

TEST(SaverInput, OnlyTheQuitRequestEndsTheHack)
{
    SDL_Event event{};
    event.type = SDL_QUIT;
    EXPECT_EQ(saver_input_of(&event), LOOP_INPUT_QUIT);
    event.type = SDL_MOUSEBUTTONDOWN;
    EXPECT_EQ(saver_input_of(&event), LOOP_INPUT_OTHER);
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = SDLK_ESCAPE;
    EXPECT_EQ(saver_input_of(&event), LOOP_INPUT_OTHER);
    event.type = SDL_MOUSEMOTION;
    EXPECT_EQ(saver_input_of(&event), LOOP_INPUT_OTHER);
}

TEST(InstalledData, ShareTobunaBesideTheBinFolder)
{
    EXPECT_EQ(installed_data_home("/usr/bin/tobuna"), "/usr/bin/../share/tobuna");
    EXPECT_EQ(installed_data_home("/opt/t/bin/tobuna"), "/opt/t/bin/../share/tobuna");
    EXPECT_EQ(installed_data_home("/tobuna"), "/../share/tobuna");
    EXPECT_EQ(installed_data_home("tobuna"), "");
}

}  // namespace
