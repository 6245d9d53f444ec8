#include "shell/shell.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

struct ArgsCase {
    const char *name;  // the case's name in the test list
    std::vector<const char *> argv;
    int windowed, width, height;
};

// A case in failure messages: its command line.
void PrintTo(const ArgsCase &c, std::ostream *out)
{
    *out << "argv {";
    for (size_t i = 0; i < c.argv.size(); i++)
        *out << (i ? ", \"" : "\"") << c.argv[i] << "\"";
    *out << "}";
}

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
        ArgsCase{"plain", {"tobuna"}, 0, 800, 600},
        ArgsCase{"name_ends_in_w", {"tobunaw"}, 1, 800, 600},
        ArgsCase{"path_ends_in_w", {"/usr/games/show"}, 1, 800, 600},
        ArgsCase{"dash_w", {"tobuna", "-w"}, 1, 800, 600},
        ArgsCase{"dash_w_and_size", {"tobuna", "-w", "640", "480"}, 1, 640, 480},
        ArgsCase{"size", {"tobuna", "640", "480"}, 0, 640, 480},
        // The first of three is only tested for -w.
        ArgsCase{"other_first_and_size", {"tobuna", "x", "640", "480"}, 0, 640, 480},
        ArgsCase{
            "dash_w_and_four", {"tobuna", "-w", "640", "480", "1"}, 1, 800, 600},  // default size
        ArgsCase{"four", {"tobuna", "a", "640", "480", "1"}, 0, 800, 600},
        ArgsCase{"dash_wide", {"tobuna", "-wide"}, 0, 800, 600},  // -w must match whole
        ArgsCase{"dash_capital_w", {"tobuna", "-W"}, 0, 800, 600},
        ArgsCase{"width_not_a_number", {"tobuna", "wide", "480"}, 0, 0, 480},  // no number gives 0
        ArgsCase{"width_alone", {"tobuna", "640"}, 0, 800, 600},
        ArgsCase{"no_range_check", {"tobuna", "-5", "99999"}, 0, -5, 99999},
        ArgsCase{"argc_0", {}, 0, 800, 600}),
    [](const ::testing::TestParamInfo<ArgsCase> &info) { return std::string(info.param.name); });

}  // namespace
