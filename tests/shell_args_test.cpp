#include "shell/shell.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct ArgsCase {
    std::vector<const char *> argv;
    int windowed, width, height;
};

class ShowArgsTest : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(ShowArgsTest, WindowAndSize)
{
    const ArgsCase &c = GetParam();
    ShowArgs args = show_parse_args((int)c.argv.size(), c.argv.data());
    EXPECT_EQ(args.windowed, c.windowed);
    EXPECT_EQ(args.width, c.width);
    EXPECT_EQ(args.height, c.height);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ShowArgsTest,
    ::testing::Values(
        ArgsCase{{"tobuna"}, 0, 800, 600},
        ArgsCase{{"tobunaw"}, 1, 800, 600},                     // name ends in w
        ArgsCase{{"/usr/games/show"}, 1, 800, 600},             // so does this one
        ArgsCase{{"tobuna", "-w"}, 1, 800, 600},
        ArgsCase{{"tobuna", "-w", "640", "480"}, 1, 640, 480},
        ArgsCase{{"tobuna", "640", "480"}, 0, 640, 480},
        ArgsCase{{"tobuna", "x", "640", "480"}, 0, 640, 480},   // first only tested for -w
        ArgsCase{{"tobuna", "-w", "640", "480", "1"}, 1, 800, 600},  // four: default size
        ArgsCase{{"tobuna", "a", "640", "480", "1"}, 0, 800, 600},
        ArgsCase{{"tobuna", "-wide"}, 0, 800, 600},             // -w must match whole
        ArgsCase{{"tobuna", "-W"}, 0, 800, 600},
        ArgsCase{{"tobuna", "wide", "480"}, 0, 0, 480},         // no number gives 0
        ArgsCase{{"tobuna", "640"}, 0, 800, 600},
        ArgsCase{{"tobuna", "-5", "99999"}, 0, -5, 99999},      // no range check
        ArgsCase{{}, 0, 800, 600}));                            // argc 0

}  // namespace
