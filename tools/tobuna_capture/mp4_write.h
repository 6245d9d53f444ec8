// An MP4 file of H.264 video (yuv420p) and AAC sound through FFmpeg's
// libraries, fed frame by frame as the capture makes them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVStream;
struct AVFrame;
struct AVPacket;
struct SwsContext;

struct Mp4Writer {
    AVFormatContext *format = nullptr;
    AVCodecContext *video = nullptr;
    AVCodecContext *audio = nullptr;
    AVStream *video_stream = nullptr;
    AVStream *audio_stream = nullptr;
    SwsContext *scaler = nullptr;  // RGB rows to yuv420p
    AVFrame *picture = nullptr;
    AVFrame *sound = nullptr;
    AVPacket *packet = nullptr;
    int width = 0, height = 0;      // pixels
    int64_t pictures = 0;           // video frames sent, the next one's timestamp
    int64_t samples = 0;            // audio frames sent, the next one's timestamp
    std::vector<float> pending[2];  // left and right samples not yet a whole AAC frame
    bool header_written = false;
    std::string error;  // what failed, for the message
};

// Creates the file and its two streams: true, or false with the reason in
// w->error (mp4_release still needed).
bool mp4_open(Mp4Writer *w, const char *path, int width, int height, int fps, int crf,
              const char *preset);
// Encodes one picture of RGB rows from the top.
bool mp4_write_picture(Mp4Writer *w, const uint8_t *rgb);
// Encodes count frames as the mixer writes them (signed 16-bit big-endian,
// left then right).
bool mp4_write_sound(Mp4Writer *w, const uint8_t *frames, int count);
// Flushes both encoders and writes the file's index.
bool mp4_finish(Mp4Writer *w);
// Releases everything, finished or not.
void mp4_release(Mp4Writer *w);
