// The synthesiser.
#pragma once

// Opens the audio device paused, builds the synthesiser and loads the song:
// 0, or -1 after its message when the song cannot be loaded.
int audio_start();
