// A WAV file is a RIFF header, a "fmt " chunk and a "data" chunk, all
// little-endian.
#include "wav_write.h"

#include <cstring>

// Stores a little-endian value of the given byte count at out.
static void put_le(uint8_t *out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; i++)
        out[i] = (uint8_t)(value >> (8 * i));
}

// The 44-byte header of a file holding frames stereo frames.
static void wav_header(uint8_t header[44], int sample_rate, int64_t frames)
{
    uint32_t data_bytes = (uint32_t)(frames * 4);
    memcpy(header, "RIFF", 4);
    put_le(header + 4, 36 + data_bytes, 4);
    memcpy(header + 8, "WAVEfmt ", 8);
    put_le(header + 16, 16, 4);  // fmt chunk size
    put_le(header + 20, 1, 2);   // PCM
    put_le(header + 22, 2, 2);   // channels
    put_le(header + 24, (uint32_t)sample_rate, 4);
    put_le(header + 28, (uint32_t)sample_rate * 4, 4);  // bytes per second
    put_le(header + 32, 4, 2);                          // bytes per frame
    put_le(header + 34, 16, 2);                         // bits per sample
    memcpy(header + 36, "data", 4);
    put_le(header + 40, data_bytes, 4);
}

bool wav_open(WavWriter *wav, const char *path, int sample_rate)
{
    wav->file.reset(fopen(path, "wb"));
    wav->sample_rate = sample_rate;
    wav->frames = 0;
    wav->failed = !wav->file;
    if (wav->failed)
        return false;
    uint8_t header[44];
    wav_header(header, sample_rate, 0);
    wav->failed = fwrite(header, 1, sizeof header, wav->file.get()) != sizeof header;
    return !wav->failed;
}

bool wav_write_mixed(WavWriter *wav, const uint8_t *frames, int count)
{
    if (wav->failed || count < 0 || wav->frames + count > WAV_MAX_FRAMES) {
        wav->failed = true;
        return false;
    }
    // Big-endian to little-endian, a buffer at a time.
    uint8_t swapped[4096];
    int bytes = count * 4;
    for (int done = 0; done < bytes;) {
        int n = bytes - done < (int)sizeof swapped ? bytes - done : (int)sizeof swapped;
        for (int i = 0; i < n; i += 2) {
            swapped[i] = frames[done + i + 1];
            swapped[i + 1] = frames[done + i];
        }
        if (fwrite(swapped, 1, (size_t)n, wav->file.get()) != (size_t)n) {
            wav->failed = true;
            return false;
        }
        done += n;
    }
    wav->frames += count;
    return true;
}

bool wav_finish(WavWriter *wav)
{
    if (!wav->file)
        return false;
    if (!wav->failed) {
        uint8_t header[44];
        wav_header(header, wav->sample_rate, wav->frames);
        wav->failed = fseek(wav->file.get(), 0, SEEK_SET) != 0 ||
                      fwrite(header, 1, sizeof header, wav->file.get()) != sizeof header;
    }
    bool ok = !wav->failed && fflush(wav->file.get()) == 0;
    ok = fclose(wav->file.release()) == 0 && ok;
    return ok;
}
