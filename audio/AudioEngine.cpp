#include "audio/AudioEngine.h"

#include "audio/ByteRing.h"
#include "audio/OwnedMutex.h"
#include "audio/VorbisFile.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstring>
#include <limits>

namespace {

constexpr Uint16 kDeviceSamples = 1024;
// How much converted sound each stream keeps ready, in milliseconds of the
// device's rate. The decoder tops it up every kDecoderPeriod, so the ring
// never holds less than kAheadMs minus one period while the decoder keeps up.
constexpr int kAheadMs = 500;
constexpr auto kDecoderPeriod = std::chrono::milliseconds(10);
constexpr std::size_t kScratchBytes = 16384;

std::atomic<DWORD> g_liveStreams{0};

enum class StreamState : int {
    Idle,    // created, never started: decoded ahead, silent
    Playing, // in the mixing list
    Paused,  // out of the mixing list, keeps its place and its buffer
    Stopped, // ended by the caller; released by the next stream creation
    Ended,   // its last sample has gone to the device
};

class DeviceLock {
public:
    explicit DeviceLock(SDL_AudioDeviceID id) : id_(id) {
        if (id_ != 0) {
            SDL_LockAudioDevice(id_);
        }
    }
    ~DeviceLock() {
        if (id_ != 0) {
            SDL_UnlockAudioDevice(id_);
        }
    }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

private:
    SDL_AudioDeviceID id_;
};

} // namespace

struct AudioEngine::Stream {
    explicit Stream(std::unique_ptr<VorbisFile> f)
        : file(std::move(f)), frames(file->Frames()), rate(file->Rate()),
          channels(file->Channels()) {
        g_liveStreams.fetch_add(1);
    }
    ~Stream() {
        if (convert != nullptr) {
            SDL_FreeAudioStream(convert);
        }
        g_liveStreams.fetch_sub(1);
    }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    // Fixed at creation.
    const std::unique_ptr<VorbisFile> file;
    const std::int64_t frames;
    const int rate;
    const int channels;

    // Decoder side, under decodeMutex.
    OwnedMutex decodeMutex;
    SDL_AudioStream* convert = nullptr;
    std::unique_ptr<ByteRing> ring;
    std::vector<unsigned char> scratch;
    bool sourceDone = false;          // the file is read to its end and the converter flushed
    std::uint64_t framesIn = 0;       // frames given to the converter since the last rewind
    std::uint64_t bytesOut = 0;       // bytes taken from the converter since the last rewind
    std::uint64_t bytesDue = 0;       // once sourceDone: what the converter owes in all
    std::atomic<bool> drained{false}; // everything there is to play is in the ring

    std::atomic<StreamState> state{StreamState::Idle};
    std::atomic<std::uint64_t> played{0}; // bytes handed to the device since the last rewind
};

AudioEngine& AudioEngine::Instance() {
    static AudioEngine engine;
    return engine;
}

AudioEngine::AudioEngine() {
    mixing_.reserve(64);
}

AudioEngine::~AudioEngine() {
    Free();
}

bool AudioEngine::Init(int device, DWORD freq) {
    std::lock_guard api(mutex_);
    if (device_ != 0) {
        return true;
    }
    if ((device != -1 && device != 1) || freq < 8000 || freq > 192000) {
        return false;
    }
    // The audio subsystem brings up SDL's events, which would take SIGINT and
    // SIGTERM over for a quit event nobody reads; the program answers those
    // signals itself. Set above any environment setting of the same hint.
    SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return false;
    }
    sdlAudio_ = true;
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(freq);
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kDeviceSamples;
    want.callback = &AudioEngine::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: the device runs at exactly this format and SDL
    // converts for the hardware if it must, so what the callback writes is
    // always the layout the streams were converted to.
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        sdlAudio_ = false;
        return false;
    }
    {
        std::lock_guard reg(registryMutex_);
        spec_ = have;
        quit_ = false;
    }
    device_ = id;
    callbacks_.store(0);
    decoder_ = std::thread(&AudioEngine::DecodeLoop, this);
    // Running from here on, silent while nothing plays. Nothing more is
    // waited for: a PulseAudio sink that sat idle takes the first buffers at
    // its own pace (a null sink up to two seconds later), and the window
    // waits for this call before it shows. (Waiting for the device's first
    // request would not do either: a paused device already hands the server
    // silence, so its first request after the unpause comes at that pace too.)
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void AudioEngine::Free() {
    std::lock_guard api(mutex_);
    CloseDevice();
    std::map<DWORD, std::shared_ptr<Stream>> gone;
    {
        std::lock_guard reg(registryMutex_);
        gone.swap(streams_);
    }
    gone.clear();
    if (sdlAudio_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        sdlAudio_ = false;
    }
}

void AudioEngine::CloseDevice() {
    if (decoder_.joinable()) {
        {
            std::lock_guard reg(registryMutex_);
            quit_ = true;
        }
        wake_.notify_all();
        decoder_.join();
    }
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);
        device_ = 0;
    }
    mixing_.clear();
    std::lock_guard reg(registryMutex_);
    for (auto& [handle, s] : streams_) {
        StreamState st = s->state.load();
        if (st == StreamState::Playing || st == StreamState::Paused) {
            s->state.store(StreamState::Stopped);
        }
    }
}

DWORD AudioEngine::CreateFile(const std::string& path) {
    std::lock_guard api(mutex_);
    std::unique_ptr<VorbisFile> file = VorbisFile::Open(path);
    if (!file) {
        return 0;
    }
    ReleaseStopped();
    auto s = std::make_shared<Stream>(std::move(file));
    DWORD handle = 0;
    {
        std::lock_guard reg(registryMutex_);
        // Handles only grow, so a released stream's handle never names another.
        if (nextHandle_ == 0) {
            return 0; // all 2^32 - 1 handles have been given out
        }
        handle = nextHandle_++;
        streams_.emplace(handle, std::move(s));
    }
    Kick();
    return handle;
}

void AudioEngine::ReleaseStopped() {
    std::vector<std::shared_ptr<Stream>> gone;
    {
        std::lock_guard reg(registryMutex_);
        for (auto it = streams_.begin(); it != streams_.end();) {
            if (it->second->state.load() == StreamState::Stopped) {
                gone.push_back(std::move(it->second));
                it = streams_.erase(it);
            } else {
                ++it;
            }
        }
    }
    // Freed here, outside the registry lock, unless the decoder thread still
    // holds one for a moment; then it goes when the decoder lets go.
}

std::shared_ptr<AudioEngine::Stream> AudioEngine::Find(DWORD handle) {
    std::lock_guard reg(registryMutex_);
    auto it = streams_.find(handle);
    return it == streams_.end() ? nullptr : it->second;
}

QWORD AudioEngine::Length(DWORD handle) {
    std::lock_guard api(mutex_);
    auto s = Find(handle);
    if (!s) {
        return std::numeric_limits<QWORD>::max();
    }
    return static_cast<QWORD>(s->frames) * static_cast<QWORD>(s->channels) * 2;
}

double AudioEngine::Seconds(DWORD handle, QWORD pos) {
    std::lock_guard api(mutex_);
    auto s = Find(handle);
    if (!s) {
        return -1.0;
    }
    return static_cast<double>(static_cast<std::int64_t>(pos)) /
           (static_cast<double>(s->rate) * s->channels * 2);
}

bool AudioEngine::Play(DWORD handle, bool restart) {
    std::lock_guard api(mutex_);
    auto s = Find(handle);
    if (!s || device_ == 0) {
        return false;
    }
    const StreamState was = s->state.load();
    if (was == StreamState::Playing && !restart) {
        return true;
    }
    {
        DeviceLock lock(device_);
        Detach(s.get());
        s->state.store(StreamState::Idle);
    }
    {
        std::lock_guard dec(s->decodeMutex);
        // Nothing to rewind when not a byte has gone out since the last rewind:
        // a fresh stream then starts on the buffer decoded while it waited.
        if ((restart || was == StreamState::Ended) && s->played.load() != 0) {
            Rewind(*s);
        }
        Fill(*s, std::numeric_limits<std::size_t>::max());
    }
    {
        DeviceLock lock(device_);
        s->state.store(StreamState::Playing);
        Attach(s.get());
    }
    Kick();
    return true;
}

bool AudioEngine::Pause(DWORD handle) {
    std::lock_guard api(mutex_);
    auto s = Find(handle);
    if (!s || device_ == 0) {
        return false;
    }
    DeviceLock lock(device_);
    const StreamState st = s->state.load();
    if (st == StreamState::Playing) {
        Detach(s.get());
        s->state.store(StreamState::Paused);
        return true;
    }
    return st == StreamState::Paused;
}

bool AudioEngine::Stop(DWORD handle) {
    std::lock_guard api(mutex_);
    auto s = Find(handle);
    if (!s) {
        return false;
    }
    DeviceLock lock(device_);
    Detach(s.get());
    s->state.store(StreamState::Stopped);
    return true;
}

DWORD AudioEngine::State(DWORD handle) {
    std::lock_guard api(mutex_);
    auto s = Find(handle);
    if (!s) {
        return BASS_STATE_STOPPED;
    }
    switch (s->state.load()) {
    case StreamState::Playing:
        return BASS_STATE_PLAYING;
    case StreamState::Paused:
        return BASS_STATE_PAUSED;
    default:
        return BASS_STATE_STOPPED;
    }
}

DWORD AudioEngine::LiveStreams() {
    return g_liveStreams.load();
}

DWORD AudioEngine::DeviceRate() {
    std::lock_guard api(mutex_);
    return device_ != 0 ? static_cast<DWORD>(spec_.freq) : 0;
}

DWORD AudioEngine::DeviceChannels() {
    std::lock_guard api(mutex_);
    return device_ != 0 ? spec_.channels : 0;
}

DWORD AudioEngine::DeviceCallbacks() {
    std::lock_guard api(mutex_);
    return device_ != 0 ? static_cast<DWORD>(callbacks_.load()) : 0;
}

void AudioEngine::Attach(Stream* s) {
    if (std::find(mixing_.begin(), mixing_.end(), s) == mixing_.end()) {
        mixing_.push_back(s);
    }
}

void AudioEngine::Detach(Stream* s) {
    auto it = std::find(mixing_.begin(), mixing_.end(), s);
    if (it != mixing_.end()) {
        mixing_.erase(it);
    }
}

void AudioEngine::Kick() {
    {
        std::lock_guard reg(registryMutex_);
        kicked_ = true;
    }
    wake_.notify_all();
}

// Under s.decodeMutex, with nobody reading the ring.
void AudioEngine::Rewind(Stream& s) {
    assert(s.decodeMutex.HeldByThisThread());
    assert(s.state.load() != StreamState::Playing);
    s.ring.reset();
    if (s.convert != nullptr) {
        SDL_AudioStreamClear(s.convert);
    }
    s.sourceDone = !s.file->Rewind();
    s.framesIn = 0;
    s.bytesOut = 0;
    s.bytesDue = 0;
    s.drained.store(false);
    s.played.store(0);
}

// Under s.decodeMutex. Tops the ring up as far as it has room, or until
// `budget` bytes have gone in; returns the bytes written.
std::size_t AudioEngine::Fill(Stream& s, std::size_t budget) {
    assert(s.decodeMutex.HeldByThisThread());
    SDL_AudioSpec format;
    {
        std::lock_guard reg(registryMutex_);
        format = spec_;
    }
    const std::size_t frame =
        static_cast<std::size_t>(SDL_AUDIO_BITSIZE(format.format) / 8) * format.channels;
    if (frame == 0) {
        return 0;
    }
    if (!s.ring) {
        std::size_t bytes = static_cast<std::size_t>(format.freq) * frame * kAheadMs / 1000;
        s.ring = std::make_unique<ByteRing>(bytes - bytes % frame);
        s.scratch.resize(kScratchBytes);
        s.played.store(0);
    }
    if (s.convert == nullptr && !s.sourceDone) {
        s.convert = SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(s.channels), s.rate,
                                       format.format, format.channels, format.freq);
        if (s.convert == nullptr) {
            s.sourceDone = true; // cannot convert: the stream plays as silence of no length
        }
    }
    std::size_t written = 0;
    while (!s.drained.load() && written < budget) {
        std::size_t room = s.ring->Writable();
        room -= room % frame;
        if (room == 0) {
            return written;
        }
        const int ready = s.convert != nullptr ? SDL_AudioStreamAvailable(s.convert) : 0;
        if (ready > 0) {
            std::size_t want = std::min({room, s.scratch.size(), static_cast<std::size_t>(ready)});
            if (s.sourceDone) {
                want = static_cast<std::size_t>(
                    std::min<std::uint64_t>(want, s.bytesDue - std::min(s.bytesDue, s.bytesOut)));
            }
            want -= want % frame;
            if (want == 0) {
                if (!s.sourceDone) {
                    return written;
                }
                s.drained.store(true, std::memory_order_release); // the rest is padding
                return written;
            }
            const int got = SDL_AudioStreamGet(s.convert, s.scratch.data(), static_cast<int>(want));
            if (got <= 0) {
                return written;
            }
            s.ring->Write(s.scratch.data(), static_cast<std::size_t>(got));
            s.bytesOut += static_cast<std::uint64_t>(got);
            written += static_cast<std::size_t>(got);
            continue;
        }
        if (s.sourceDone) {
            s.drained.store(true, std::memory_order_release);
            return written;
        }
        const std::size_t got = s.file->Read(s.scratch.data(), s.scratch.size());
        if (got == 0) {
            FinishSource(s, format, frame);
        } else if (SDL_AudioStreamPut(s.convert, s.scratch.data(), static_cast<int>(got)) != 0) {
            FinishSource(s, format, frame);
        } else {
            s.framesIn += got / (static_cast<std::size_t>(s.channels) * 2);
        }
    }
    return written;
}

// Under s.decodeMutex, when the file has nothing more. SDL_AudioStreamFlush
// alone can keep back the resampler's last frames (it only flushes when its
// staging buffer happens to hold something), so the tail is pushed out with
// silence and what comes out is cut at the converted length of the real input.
void AudioEngine::FinishSource(Stream& s, const SDL_AudioSpec& format, std::size_t frame) {
    assert(s.decodeMutex.HeldByThisThread());
    s.sourceDone = true;
    const std::uint64_t framesOut = (s.framesIn * static_cast<std::uint64_t>(format.freq) +
                                     static_cast<std::uint64_t>(s.rate) - 1) /
                                    static_cast<std::uint64_t>(s.rate);
    s.bytesDue = framesOut * frame;
    if (s.rate != format.freq) {
        std::fill(s.scratch.begin(), s.scratch.end(), 0);
        const std::size_t inFrame = static_cast<std::size_t>(s.channels) * 2;
        std::size_t pad =
            std::max<std::size_t>(4096, static_cast<std::size_t>(s.rate) / 10) * inFrame;
        while (pad > 0) {
            const std::size_t n = std::min(pad, s.scratch.size() - s.scratch.size() % inFrame);
            if (SDL_AudioStreamPut(s.convert, s.scratch.data(), static_cast<int>(n)) != 0) {
                break;
            }
            pad -= n;
        }
    }
    SDL_AudioStreamFlush(s.convert);
}

void AudioEngine::DecodeLoop() {
    std::vector<std::shared_ptr<Stream>> work;
    std::unique_lock reg(registryMutex_);
    while (!quit_) {
        for (auto& [handle, s] : streams_) {
            const StreamState st = s->state.load();
            if ((st == StreamState::Idle || st == StreamState::Playing ||
                 st == StreamState::Paused) &&
                !s->drained.load()) {
                work.push_back(s);
            }
        }
        reg.unlock();
        // A piece at a time, so that a play waiting for the stream's lock is
        // not held up by a whole buffer's decoding.
        for (auto& s : work) {
            for (;;) {
                std::lock_guard dec(s->decodeMutex);
                if (Fill(*s, kScratchBytes) == 0) {
                    break;
                }
            }
        }
        work.clear();
        reg.lock();
        wake_.wait_for(reg, kDecoderPeriod, [this] { return quit_ || kicked_; });
        kicked_ = false;
    }
}

void AudioEngine::Callback(void* self, Uint8* out, int len) {
    static_cast<AudioEngine*>(self)->Mix(out, len);
}

// SDL's audio thread, under the device lock. Mixes 16-bit samples with
// saturation; a single stream passes through unchanged.
void AudioEngine::Mix(Uint8* out, int len) {
    callbacks_.fetch_add(1, std::memory_order_relaxed);
    std::memset(out, 0, static_cast<std::size_t>(len));
    const std::size_t frame =
        static_cast<std::size_t>(SDL_AUDIO_BITSIZE(spec_.format) / 8) * spec_.channels;
    for (std::size_t i = 0; i < mixing_.size();) {
        Stream* s = mixing_[i];
        // drained first: once it is seen set, Readable() is the final count.
        const bool drained = s->drained.load(std::memory_order_acquire);
        std::size_t n = std::min(s->ring->Readable(), static_cast<std::size_t>(len));
        n -= n % frame;
        const unsigned char* piece[2];
        std::size_t pieceLen[2];
        s->ring->Peek(n, piece[0], pieceLen[0], piece[1], pieceLen[1]);
        Uint8* dst = out;
        for (int p = 0; p < 2; ++p) {
            for (std::size_t k = 0; k + 1 < pieceLen[p]; k += 2, dst += 2) {
                Sint16 a;
                Sint16 b;
                std::memcpy(&a, dst, 2);
                std::memcpy(&b, piece[p] + k, 2);
                const int sum = std::clamp(int{a} + int{b}, -32768, 32767);
                const Sint16 mixed = static_cast<Sint16>(sum);
                std::memcpy(dst, &mixed, 2);
            }
        }
        s->ring->Consume(n);
        s->played.fetch_add(n, std::memory_order_relaxed);
        if (drained && s->ring->Readable() == 0) {
            s->state.store(StreamState::Ended);
            mixing_[i] = mixing_.back();
            mixing_.pop_back();
            continue;
        }
        ++i;
    }
}
