// The version call on its own: a test program that links its own
// BASS_GetVersion in front of this library (to see how the program treats
// another version) leaves this file out of its link, and the shipped program
// has no seam to read.
#include "audio/Bass.h"

extern "C" DWORD BASS_GetVersion(void) {
    return 0x02040000;
}
