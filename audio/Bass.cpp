// The C entry points: argument checks that belong to the call itself, then
// the engine.
#include "audio/Bass.h"
#include "audio/AudioEngine.h"
#include "audio/BassTestSupport.h"

#include <string>

extern "C" {

BOOL BASS_Init(int device, DWORD freq, DWORD /*flags*/, void* /*window*/, const void* /*guid*/) {
    return AudioEngine::Instance().Init(device, freq) ? TRUE : FALSE;
}

BOOL BASS_Free(void) {
    AudioEngine::Instance().Free();
    return TRUE;
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length,
                              DWORD /*flags*/) {
    if (mem != FALSE || file == nullptr || offset != 0 || length != 0) {
        return 0;
    }
    return AudioEngine::Instance().CreateFile(std::string(static_cast<const char*>(file)));
}

QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode) {
    if (mode != BASS_LENGTH_BYTES) {
        return ~QWORD{0};
    }
    return AudioEngine::Instance().Length(handle);
}

double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
    return AudioEngine::Instance().Seconds(handle, pos);
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
    return AudioEngine::Instance().Play(handle, restart != FALSE) ? TRUE : FALSE;
}

BOOL BASS_ChannelPause(DWORD handle) {
    return AudioEngine::Instance().Pause(handle) ? TRUE : FALSE;
}

BOOL BASS_ChannelStop(DWORD handle) {
    return AudioEngine::Instance().Stop(handle) ? TRUE : FALSE;
}

DWORD BASS_ChannelIsActive(DWORD handle) {
    return AudioEngine::Instance().State(handle);
}

DWORD BASS_TestLiveStreams(void) {
    return AudioEngine::LiveStreams();
}

DWORD BASS_TestDeviceRate(void) {
    return AudioEngine::Instance().DeviceRate();
}

DWORD BASS_TestDeviceChannels(void) {
    return AudioEngine::Instance().DeviceChannels();
}

DWORD BASS_TestDeviceCallbacks(void) {
    return AudioEngine::Instance().DeviceCallbacks();
}

} // extern "C"
