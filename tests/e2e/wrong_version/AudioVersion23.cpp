// A double of the audio layer's version call for the start-up test of a wrong
// library: linked into a copy of the program in front of the audio library,
// it takes the place of the real one.
#include "audio/Bass.h"

extern "C" DWORD BASS_GetVersion(void) {
    return 0x02030000;
}
