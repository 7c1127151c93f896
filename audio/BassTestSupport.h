// Calls for tests only: they let a test see inside the audio layer without
// playing a sound. The program never calls them. To shut the device down
// between tests (and so pick up new SDL_AUDIODRIVER / SDL_DISKAUDIOFILE
// settings at the next BASS_Init), call BASS_Free.
#pragma once

#include "audio/Bass.h"

extern "C" {

/// Number of streams whose decoder and buffers are still held.
DWORD BASS_TestLiveStreams(void);

/// Rate and channel count the open device runs at; 0 when no device is open.
DWORD BASS_TestDeviceRate(void);
DWORD BASS_TestDeviceChannels(void);

/// Times the open device has asked for samples; 0 when no device is open.
DWORD BASS_TestDeviceCallbacks(void);

} // extern "C"
