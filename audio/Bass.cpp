// The C entry points: argument checks that belong to the call itself, then
// the engine.
#include "audio/Bass.h"
#include "audio/AudioEngine.h"
#include "audio/BassTestSupport.h"

#include <string>

extern "C" {

BOOL BASS_Init(int device, DWORD freq, DWORD /*flags*/, void* /*window*/, const void* /*guid*/) {
    return AudioEngine::instance().init(device, freq) ? TRUE : FALSE;
}

BOOL BASS_Free(void) {
    AudioEngine::instance().free();
    return TRUE;
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length,
                              DWORD /*flags*/) {
    if (mem != FALSE || file == nullptr || offset != 0 || length != 0) {
        return 0;
    }
    return AudioEngine::instance().createFile(std::string(static_cast<const char*>(file)));
}

QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode) {
    if (mode != BASS_LENGTH_BYTES) {
        return ~QWORD{0};
    }
    return AudioEngine::instance().length(handle);
}

double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
    return AudioEngine::instance().seconds(handle, pos);
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
    return AudioEngine::instance().play(handle, restart != FALSE) ? TRUE : FALSE;
}

BOOL BASS_ChannelPause(DWORD handle) {
    return AudioEngine::instance().pause(handle) ? TRUE : FALSE;
}

BOOL BASS_ChannelStop(DWORD handle) {
    return AudioEngine::instance().stop(handle) ? TRUE : FALSE;
}

DWORD BASS_ChannelIsActive(DWORD handle) {
    return AudioEngine::instance().state(handle);
}

DWORD BASS_TestLiveStreams(void) {
    return AudioEngine::liveStreams();
}

DWORD BASS_TestDeviceRate(void) {
    return AudioEngine::instance().deviceRate();
}

DWORD BASS_TestDeviceChannels(void) {
    return AudioEngine::instance().deviceChannels();
}

DWORD BASS_TestDeviceCallbacks(void) {
    return AudioEngine::instance().deviceCallbacks();
}

} // extern "C"
