// What the capture's own files share: the progress line.
#pragma once

#include <cstdint>

// The progress line on standard error: rewritten in place on a terminal, a
// line every ten seconds otherwise.
struct Progress {
    bool shown = false;     // false: --quiet
    bool terminal = false;  // standard error is a terminal
    int64_t total = -1;     // frames to run in all; -1 when the show's end decides
    double started = 0.0;   // wall-clock seconds
    double last_shown = 0.0;
    int64_t done = 0;
};

void progress_start(Progress *p, bool shown, int64_t total_frames);
// Frames run so far; shows the line when it is time to.
void progress_update(Progress *p, int64_t frames_done);
// Ends the line on a terminal.
void progress_end(Progress *p);
