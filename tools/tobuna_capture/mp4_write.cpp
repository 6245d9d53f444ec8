// The MP4 output: libx264 through libavcodec for the pictures, FFmpeg's own
// AAC encoder for the sound, libswscale for the colour conversion and
// libavformat for the container.
#include "mp4_write.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdio>

// Sets the writer's error from a libav status and returns false.
static bool av_failed(Mp4Writer *w, const char *what, int status)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = "";
    av_strerror(status, text, sizeof text);
    w->error = std::string(what) + ": " + text;
    return false;
}

// Hands every packet the encoder has ready to the muxer.
static bool drain(Mp4Writer *w, AVCodecContext *codec, AVStream *stream)
{
    for (;;) {
        int status = avcodec_receive_packet(codec, w->packet);
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF)
            return true;
        if (status < 0)
            return av_failed(w, "encoding", status);
        av_packet_rescale_ts(w->packet, codec->time_base, stream->time_base);
        w->packet->stream_index = stream->index;
        status = av_interleaved_write_frame(w->format, w->packet);
        if (status < 0)
            return av_failed(w, "writing", status);
    }
}

static bool open_video(Mp4Writer *w, int fps, int crf, const char *preset)
{
    const AVCodec *codec = avcodec_find_encoder_by_name("libx264");
    if (!codec) {
        w->error = "FFmpeg has no libx264 encoder";
        return false;
    }
    w->video = avcodec_alloc_context3(codec);
    w->video_stream = avformat_new_stream(w->format, nullptr);
    w->picture = av_frame_alloc();
    if (!w->video || !w->video_stream || !w->picture) {
        w->error = "out of memory";
        return false;
    }
    AVCodecContext *c = w->video;
    c->width = w->width;
    c->height = w->height;
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->time_base = AVRational{1, fps};
    c->framerate = AVRational{fps, 1};
    c->gop_size = fps * 2;
    if (w->format->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(c->priv_data, "preset", preset, 0);
    av_opt_set_int(c->priv_data, "crf", crf, 0);
    int status = avcodec_open2(c, codec, nullptr);
    if (status < 0)
        return av_failed(w, "opening the H.264 encoder", status);
    status = avcodec_parameters_from_context(w->video_stream->codecpar, c);
    if (status < 0)
        return av_failed(w, "video stream", status);
    w->video_stream->time_base = c->time_base;
    w->video_stream->avg_frame_rate = c->framerate;

    w->picture->format = c->pix_fmt;
    w->picture->width = c->width;
    w->picture->height = c->height;
    status = av_frame_get_buffer(w->picture, 0);
    if (status < 0)
        return av_failed(w, "picture buffer", status);
    // Full-range RGB to the limited-range BT.601 that players assume.
    w->scaler = sws_getContext(
        c->width, c->height, AV_PIX_FMT_RGB24, c->width, c->height, AV_PIX_FMT_YUV420P,
        SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr);
    if (!w->scaler) {
        w->error = "no colour conversion to yuv420p";
        return false;
    }
    return true;
}

static bool open_audio(Mp4Writer *w)
{
    const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec) {
        w->error = "FFmpeg has no AAC encoder";
        return false;
    }
    w->audio = avcodec_alloc_context3(codec);
    w->audio_stream = avformat_new_stream(w->format, nullptr);
    w->sound = av_frame_alloc();
    if (!w->audio || !w->audio_stream || !w->sound) {
        w->error = "out of memory";
        return false;
    }
    AVCodecContext *c = w->audio;
    c->sample_fmt = AV_SAMPLE_FMT_FLTP;
    c->sample_rate = 44100;
    c->bit_rate = 192000;
    av_channel_layout_default(&c->ch_layout, 2);
    c->time_base = AVRational{1, 44100};
    if (w->format->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int status = avcodec_open2(c, codec, nullptr);
    if (status < 0)
        return av_failed(w, "opening the AAC encoder", status);
    status = avcodec_parameters_from_context(w->audio_stream->codecpar, c);
    if (status < 0)
        return av_failed(w, "audio stream", status);
    w->audio_stream->time_base = c->time_base;
    return true;
}

bool mp4_open(Mp4Writer *w, const char *path, int width, int height, int fps, int crf,
              const char *preset)
{
    av_log_set_level(AV_LOG_ERROR);  // the encoders' statistics are not for the user
    w->width = width;
    w->height = height;
    int status = avformat_alloc_output_context2(&w->format, nullptr, "mp4", path);
    if (status < 0 || !w->format)
        return av_failed(w, "MP4 container", status);
    w->packet = av_packet_alloc();
    if (!w->packet) {
        w->error = "out of memory";
        return false;
    }
    if (!open_video(w, fps, crf, preset) || !open_audio(w))
        return false;
    status = avio_open(&w->format->pb, path, AVIO_FLAG_WRITE);
    if (status < 0)
        return av_failed(w, "cannot create the file", status);
    status = avformat_write_header(w->format, nullptr);
    if (status < 0)
        return av_failed(w, "writing the header", status);
    w->header_written = true;
    return true;
}

bool mp4_write_picture(Mp4Writer *w, const uint8_t *rgb)
{
    int status = av_frame_make_writable(w->picture);
    if (status < 0)
        return av_failed(w, "picture buffer", status);
    const uint8_t *rows[1] = {rgb};
    const int strides[1] = {w->width * 3};
    sws_scale(w->scaler, rows, strides, 0, w->height, w->picture->data, w->picture->linesize);
    w->picture->pts = w->pictures++;
    status = avcodec_send_frame(w->video, w->picture);
    if (status < 0)
        return av_failed(w, "encoding a picture", status);
    return drain(w, w->video, w->video_stream);
}

// Sends count pending samples (a whole AAC frame, or the last part) as one
// frame to the encoder.
static bool send_sound(Mp4Writer *w, int count)
{
    av_frame_unref(w->sound);
    w->sound->format = w->audio->sample_fmt;
    w->sound->sample_rate = w->audio->sample_rate;
    w->sound->nb_samples = count;
    int status = av_channel_layout_copy(&w->sound->ch_layout, &w->audio->ch_layout);
    if (status >= 0)
        status = av_frame_get_buffer(w->sound, 0);
    if (status < 0)
        return av_failed(w, "sound buffer", status);
    for (int ch = 0; ch < 2; ch++) {
        float *out = reinterpret_cast<float *>(w->sound->data[ch]);
        std::copy(w->pending[ch].begin(), w->pending[ch].begin() + count, out);
        w->pending[ch].erase(w->pending[ch].begin(), w->pending[ch].begin() + count);
    }
    w->sound->pts = w->samples;
    w->samples += count;
    status = avcodec_send_frame(w->audio, w->sound);
    if (status < 0)
        return av_failed(w, "encoding sound", status);
    return drain(w, w->audio, w->audio_stream);
}

bool mp4_write_sound(Mp4Writer *w, const uint8_t *frames, int count)
{
    for (int i = 0; i < count; i++) {
        for (int ch = 0; ch < 2; ch++) {
            const uint8_t *s = frames + 4 * i + 2 * ch;
            int16_t value = (int16_t)(uint16_t)(s[0] << 8 | s[1]);
            w->pending[ch].push_back((float)value * (1.0f / 32768.0f));
        }
    }
    int frame_size = w->audio->frame_size;
    while ((int)w->pending[0].size() >= frame_size)
        if (!send_sound(w, frame_size))
            return false;
    return true;
}

bool mp4_finish(Mp4Writer *w)
{
    if (!w->pending[0].empty() && !send_sound(w, (int)w->pending[0].size()))
        return false;
    int status = avcodec_send_frame(w->video, nullptr);
    if (status < 0 || !drain(w, w->video, w->video_stream))
        return status < 0 ? av_failed(w, "flushing the video", status) : false;
    status = avcodec_send_frame(w->audio, nullptr);
    if (status < 0 || !drain(w, w->audio, w->audio_stream))
        return status < 0 ? av_failed(w, "flushing the sound", status) : false;
    status = av_write_trailer(w->format);
    if (status < 0)
        return av_failed(w, "writing the index", status);
    w->header_written = false;
    status = avio_closep(&w->format->pb);
    if (status < 0)
        return av_failed(w, "closing the file", status);
    return true;
}

void mp4_release(Mp4Writer *w)
{
    if (w->format && w->format->pb)
        avio_closep(&w->format->pb);
    avcodec_free_context(&w->video);
    avcodec_free_context(&w->audio);
    av_frame_free(&w->picture);
    av_frame_free(&w->sound);
    av_packet_free(&w->packet);
    sws_freeContext(w->scaler);
    w->scaler = nullptr;
    avformat_free_context(w->format);
    w->format = nullptr;
}
