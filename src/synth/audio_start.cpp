// Opening the audio device and building the synthesiser at start-up.
#include "synth/synth.h"

#include <SDL.h>

#include <cstdio>

int audio_start()
{
    SDL_AudioSpec desired{};
    desired.freq = 44100;
    desired.format = AUDIO_S16MSB;
    desired.channels = 2;
    desired.samples = 1024;
    desired.callback = audio_callback;
    desired.userdata = nullptr;
    // No obtained format: SDL converts to the hardware's format, so
    // the callback always writes the one asked for. The device opens paused;
    // the director starts it. Without a device the show goes on silent.
    if (SDL_OpenAudio(&desired, nullptr) < 0)
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
    return 0;
}
