// Opening the audio device and building the synthesiser at start-up.
#include "synth/synth.h"

#include <SDL.h>

#include <cstdio>

int audio_open_device(void (*callback)(void *userdata, uint8_t *stream, int length))
{
    SDL_AudioSpec desired{};
    desired.freq = 44100;
    desired.format = AUDIO_S16MSB;
    desired.channels = 2;
    desired.samples = 1024;
    desired.callback = callback;
    desired.userdata = nullptr;
    // No obtained format: SDL converts to the hardware's format, so
    // the callback always writes the one asked for. The device opens paused.
    return SDL_OpenAudio(&desired, nullptr) < 0 ? -1 : 0;
}

int audio_start()
{
    // The director starts the device. Without one the show goes on silent.
    if (audio_open_device(audio_callback) != 0)
        fprintf(stderr, "Unable to open audio: %s\n", SDL_GetError());
    return synth_start();
}

int synth_start()
{
    synth_init(44100);
    if (synth_load_song("data/hiiri.txt") != 0) {
        fputs("musa load error!\n", stdout);
        return -1;
    }
    // The song plays up to a NUL byte, as it always has; the cut is only
    // noted, on standard error.
    if (synth.song_nul_offset >= 0)
        fprintf(stderr, "data/hiiri.txt: NUL byte at offset %lld: the song ends there\n",
                (long long)synth.song_nul_offset);
    return 0;
}
