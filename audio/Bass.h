// The program's audio layer: ten C-style calls that open the default output
// device, turn Ogg Vorbis files into streams and play them. Decoding is done
// by libvorbisfile on a thread of this layer; output goes through SDL2, whose
// device is opened once by BASS_Init and then keeps running (silent while
// nothing plays), so a play starts without the device's start-up delay.
//
// What callers may rely on:
// - BASS_GetVersion has 0x0204 in its high 16 bits.
// - BASS_Init gives non-zero once the device runs, zero when none can be opened.
// - A handle is never 0 for a stream and is never handed out twice; a handle
//   whose stream was released stays invalid for good.
// - Length and seconds work without BASS_Init; playing needs the device.
// - Byte length = PCM frames x channels x 2 (16-bit samples at the file's own
//   rate); seconds = bytes / (rate x channels x 2).
// - An invalid handle: BASS_ChannelGetLength gives all bits set,
//   BASS_ChannelBytes2Seconds a negative number, BASS_ChannelIsActive 0, and
//   the other calls do nothing and give FALSE.
// - BASS_ChannelIsActive is 0 for a stream never started, one stopped, and one
//   that has played to its end (its last sample handed to the device);
//   BASS_STATE_PLAYING or BASS_STATE_PAUSED otherwise.
// Every call may come from any one thread (the user-interface thread); the
// calls are serialised inside.
#pragma once

#include <cstdint>

typedef std::uint32_t DWORD;
typedef std::uint64_t QWORD;
typedef int BOOL;
typedef DWORD HSTREAM;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

/// Values of BASS_ChannelIsActive. Callers test zero versus non-zero only.
enum : DWORD {
    BASS_STATE_STOPPED = 0,
    BASS_STATE_PLAYING = 1,
    BASS_STATE_PAUSED = 2,
};

/// The only length mode: bytes of 16-bit PCM.
enum : DWORD { BASS_LENGTH_BYTES = 0 };

extern "C" {

/// Version of the layer: 0x0204 in the high 16 bits. Defined alone in its
/// own file, so that a test program can link a double of it in its place.
DWORD BASS_GetVersion(void);

/// Opens the output device: device -1 (or 1) is the system's default, freq is
/// the rate the device runs at (8000..192000), flags are ignored, window and
/// guid are accepted for the callers' sake and not used. Returns as soon as
/// the device is open and running; it does not wait for the sound server to
/// take the first samples (an idle PulseAudio sink may take seconds to), so a
/// play in the first moments after start-up may start that much later.
/// Non-zero when the device is ready or already was; zero when it cannot be
/// opened.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* window, const void* guid);

/// Closes the device and releases every stream (their handles become invalid).
/// Safe to call when BASS_Init failed or was never called. Tests use it to
/// start the next test with a fresh device and fresh SDL driver settings.
BOOL BASS_Free(void);

/// Opens an Ogg Vorbis file by path (bytes as the file system takes them).
/// Only whole files are supported: mem must be FALSE, offset and length 0;
/// flags are ignored. Gives 0 when the file cannot be opened as Ogg Vorbis.
/// Streams that were stopped with BASS_ChannelStop are released here.
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags);

/// Length of the stream in bytes (mode BASS_LENGTH_BYTES); all bits set for an
/// invalid handle or another mode.
QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode);

/// Seconds that pos bytes of the stream last; pos is read as signed, so the
/// all-bits-set length of a bad stream gives a negative number. Negative
/// (-1) for an invalid handle.
double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);

/// Starts or continues playback. restart TRUE plays from the beginning;
/// FALSE continues a paused (or stopped) stream where it was, and starts one
/// that has played to its end from the beginning again. Needs the device.
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);

/// Halts a playing stream; it keeps its place and reports BASS_STATE_PAUSED.
BOOL BASS_ChannelPause(DWORD handle);

/// Ends playback: the stream reports 0 and is released by the next
/// BASS_StreamCreateFile. Handle 0 and invalid handles: no effect.
BOOL BASS_ChannelStop(DWORD handle);

/// BASS_STATE_STOPPED (0), BASS_STATE_PLAYING or BASS_STATE_PAUSED.
DWORD BASS_ChannelIsActive(DWORD handle);

} // extern "C"
