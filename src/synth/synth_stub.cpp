// Stand-in until the synthesiser exists: the show is silent.
#include "synth/synth.h"

int audio_start()
{
    return 0;
}
