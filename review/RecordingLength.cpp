#include "review/RecordingLength.h"

#include "audio/OggVorbisLength.h"

RecordingMeasure MeasureLengthOnly(const std::string& path) {
    const OggVorbisLength l = ReadOggVorbisLength(path);
    RecordingMeasure m;
    switch (l.status) {
    case OggVorbisLength::Status::Missing:
        return m;
    case OggVorbisLength::Status::Unreadable:
        m.status = RecordingMeasure::Status::Unreadable;
        m.reason = l.reason;
        return m;
    case OggVorbisLength::Status::Read:
        break;
    }
    m.seconds = static_cast<double>(l.frames) / static_cast<double>(l.rate);
    SetStatusByEnd(m, l.end);
    return m;
}
