// Writing the mixer's 16-bit stereo frames as a WAV file, streamed: frames
// go to the file as they are mixed and the header's sizes are filled in when
// the file is finished, so memory stays constant however long the sound.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

// The most frames a WAV file can hold: its sizes are 32-bit byte counts.
constexpr int64_t WAV_MAX_FRAMES = (INT64_C(0xffffffff) - 36) / 4;

struct FileCloser {
    void operator()(FILE *file) const
    {
        fclose(file);
    }
};

// A WAV file being written.
struct WavWriter {
    std::unique_ptr<FILE, FileCloser> file;
    int sample_rate = 0;  // frames per second
    int64_t frames = 0;   // stereo frames written so far
    bool failed = false;  // a write failed or the file grew past WAV_MAX_FRAMES
};

// Creates the file with a header for no frames yet: true on success.
bool wav_open(WavWriter *wav, const char *path, int sample_rate);
// Appends count frames as the mixer writes them (signed 16-bit big-endian,
// left then right): true on success.
bool wav_write_mixed(WavWriter *wav, const uint8_t *frames, int count);
// Fills in the header's sizes and closes the file: true when every write
// succeeded.
bool wav_finish(WavWriter *wav);
