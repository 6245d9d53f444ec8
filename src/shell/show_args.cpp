// The command line: window or full screen, and the size.
#include "shell/shell.h"

#include <cstdlib>
#include <cstring>

ShowArgs show_parse_args(int argc, const char *const *argv)
{
    ShowArgs args = {0, 800, 600};

    // "-w" must match with its terminating NUL, so "-wide" is no window.
    if (argc >= 2 && argv[1] && strcmp(argv[1], "-w") == 0)
        args.windowed = 1;
    if (argc >= 1 && argv[0]) {
        size_t n = strlen(argv[0]);
        if (n > 0 && argv[0][n - 1] == 'w')
            args.windowed = 1;
    }

    // With two arguments they are the size; with three the last two are.
    if (argc == 3) {
        args.width = atoi(argv[1]);
        args.height = atoi(argv[2]);
    } else if (argc == 4) {
        args.width = atoi(argv[2]);
        args.height = atoi(argv[3]);
    }
    return args;
}
