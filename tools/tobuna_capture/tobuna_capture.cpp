// tobuna-capture: the show on a virtual clock, into video, sound and a trace.
#include "capture.h"

#include <cstdio>

int main(int argc, char **argv)
{
    CaptureOptions options;
    bool help;
    std::string why;
    if (capture_parse_args(argc, argv, &options, &help, &why) != CAPTURE_OK) {
        fprintf(stderr, "tobuna-capture: %s\n%s", why.c_str(), capture_usage_text);
        return CAPTURE_USAGE;
    }
    if (help) {
        fputs(capture_usage_text, stdout);
        return CAPTURE_OK;
    }
    CaptureStats stats;
    int status = capture_run(options, &stats);
    if (status == CAPTURE_OK)
        fprintf(stderr, "tobuna-capture: %s\n", capture_summary(stats).c_str());
    return status;
}
