// The tobuna-song tool's commands beyond its main file.
#pragma once

// Exit statuses.
constexpr int SONG_TOOL_OK = 0;
constexpr int SONG_TOOL_BAD_INPUT = 1;
constexpr int SONG_TOOL_USAGE = 2;

// Prints "tobuna-song: MESSAGE" and the usage on standard error: SONG_TOOL_USAGE.
int song_usage_error(const char *message);

// A whole decimal integer within lo..hi, the whole text.
bool parse_int(const char *text, long lo, long hi, long *value);

// tobuna-song play SONG [--row R] [--transpose K] [--seed N] [--from STEP] [--watch]
int play_command(int argc, char **argv);
