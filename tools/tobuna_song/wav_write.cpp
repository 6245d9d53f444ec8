// A WAV file is a RIFF header, a "fmt " chunk and a "data" chunk, all
// little-endian.
#include "wav_write.h"

#include <cstdio>
#include <memory>

// Appends a little-endian value of the given byte count.
static void put_le(std::vector<uint8_t> *out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; i++)
        out->push_back((uint8_t)(value >> (8 * i)));
}

bool wav_write(const char *path, const std::vector<int16_t> &samples, int sample_rate)
{
    std::unique_ptr<FILE, int (*)(FILE *)> file(fopen(path, "wb"), fclose);
    if (!file)
        return false;
    uint32_t data_bytes = (uint32_t)(samples.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + data_bytes);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put_le(&out, 36 + data_bytes, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put_le(&out, 16, 4);               // fmt chunk size
    put_le(&out, 1, 2);                // PCM
    put_le(&out, 2, 2);                // channels
    put_le(&out, (uint32_t)sample_rate, 4);
    put_le(&out, (uint32_t)sample_rate * 4, 4);  // bytes per second
    put_le(&out, 4, 2);                // bytes per frame
    put_le(&out, 16, 2);               // bits per sample
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put_le(&out, data_bytes, 4);
    for (int16_t s : samples)
        put_le(&out, (uint16_t)s, 2);
    return fwrite(out.data(), 1, out.size(), file.get()) == out.size() && fflush(file.get()) == 0;
}
