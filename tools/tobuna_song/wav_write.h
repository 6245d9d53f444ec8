// Writing 16-bit stereo PCM as a WAV file.
#pragma once

#include <cstdint>
#include <vector>

// Writes interleaved left/right samples at the rate: true on success.
bool wav_write(const char *path, const std::vector<int16_t> &samples, int sample_rate);
