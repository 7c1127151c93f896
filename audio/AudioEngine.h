// The machinery behind the calls of Bass.h: the table of streams and their
// handles, the output device and its callback, and the decoder thread.
//
// Three threads meet here. The caller's thread runs the public methods, one at
// a time (mutex_). SDL's audio thread runs the callback, which only mixes
// converted samples out of the ring of each playing stream: it takes no lock
// of ours, allocates nothing and does no I/O. The decoder thread keeps every
// stream that may play filled about half a second ahead: it reads the file,
// converts to the device format with SDL_AudioStream and writes the ring.
//
// Who may touch what:
// - streams_ and the device format: registryMutex_ (held briefly).
// - A stream's decoder state (file, converter, ring writing, rewinding):
//   that stream's decodeMutex.
// - mixing_ (the streams the callback reads) and every change of a stream's
//   state while the device is open: SDL's device lock, which the callback
//   holds while it runs. The callback itself ends streams under that lock.
// Lock order: mutex_, then registryMutex_ or a decodeMutex, then the device
// lock; the decoder thread never holds two of them at once.
#pragma once

#include "audio/Bass.h"

#include <SDL.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class AudioEngine {
public:
    static AudioEngine& Instance();
    ~AudioEngine();

    bool Init(int device, DWORD freq);
    void Free();
    DWORD CreateFile(const std::string& path);
    QWORD Length(DWORD handle);
    double Seconds(DWORD handle, QWORD pos);
    bool Play(DWORD handle, bool restart);
    bool Pause(DWORD handle);
    bool Stop(DWORD handle);
    DWORD State(DWORD handle);

    static DWORD LiveStreams();
    DWORD DeviceRate();
    DWORD DeviceChannels();
    DWORD DeviceCallbacks();

private:
    struct Stream;
    AudioEngine();

    std::shared_ptr<Stream> Find(DWORD handle);
    void ReleaseStopped();
    std::size_t Fill(Stream& s, std::size_t budget);
    void Rewind(Stream& s);
    void FinishSource(Stream& s, const SDL_AudioSpec& format, std::size_t frame);
    void Attach(Stream* s);
    void Detach(Stream* s);
    void DecodeLoop();
    void Kick();
    void CloseDevice();
    static void Callback(void* self, Uint8* out, int len);
    void Mix(Uint8* out, int len);

    std::mutex mutex_;

    std::mutex registryMutex_;
    std::map<DWORD, std::shared_ptr<Stream>> streams_;
    SDL_AudioSpec spec_{};
    std::condition_variable wake_;
    bool kicked_ = false;
    bool quit_ = false;

    DWORD nextHandle_ = 1;
    bool sdlAudio_ = false;
    SDL_AudioDeviceID device_ = 0;
    std::thread decoder_;

    std::vector<Stream*> mixing_;
    std::atomic<std::uint64_t> callbacks_{0};
};
