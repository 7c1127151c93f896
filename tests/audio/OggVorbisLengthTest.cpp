// The length read from the Ogg pages alone must be the decoder's, for whole
// files and for copies cut short, and the file's end the one OggStreamEnd
// finds; anything else is refused without blocking.
#include "AudioTestSupport.h"

#include "audio/OggVorbisLength.h"
#include "audio/VorbisFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <iterator>

using namespace audiotest;

namespace {

class OggVorbisLengthTest : public ::testing::TestWithParam<Format> {
protected:
    TempDir dir_;
};

TEST_P(OggVorbisLengthTest, AgreesWithTheDecoderWholeAndCutShort) {
    const Format f = GetParam();
    const auto whole = dir_ / "whole.ogg";
    WriteOgg(whole, f.rate, f.channels, Tone(f.rate, f.channels, f.frames));
    std::ifstream in(whole, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    const auto cut = dir_ / "cut.ogg";
    std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() * 2 / 3);

    for (const auto& [path, end] : {std::pair{whole, OggEnd::Clean}, std::pair{cut, OggEnd::Cut}}) {
        const OggVorbisLength l = ReadOggVorbisLength(path);
        const auto file = VorbisFile::Open(path);
        ASSERT_TRUE(file) << path;
        ASSERT_EQ(l.status, OggVorbisLength::Status::Read) << l.reason;
        EXPECT_EQ(l.frames, file->Frames()) << path;
        EXPECT_EQ(l.rate, file->Rate());
        EXPECT_EQ(l.channels, file->Channels());
        EXPECT_EQ(l.end, end) << path;
        EXPECT_EQ(OggStreamEnd(path), end) << path;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, OggVorbisLengthTest,
                         ::testing::Values(Format{22050, 1, 22050 * 3 + 5},
                                           Format{44100, 2, 44100 * 4},
                                           Format{48000, 1, 48000 * 3 + 1}),
                         [](const auto& info) {
                             return std::to_string(info.param.rate) + "Hz_" +
                                    std::to_string(info.param.channels) + "ch_" +
                                    std::to_string(info.param.frames);
                         });

TEST(OggVorbisLength, RefusesWhatIsNoVorbisStream) {
    TempDir dir;
    std::ofstream(dir / "text.ogg") << "not a recording";
    std::ofstream(dir / "empty.ogg");
    std::filesystem::create_directory(dir / "folder.ogg");
    ASSERT_EQ(mkfifo((dir / "fifo.ogg").c_str(), 0600), 0);
    using Status = OggVorbisLength::Status;
    const std::pair<const char*, Status> rows[] = {
        {"text.ogg", Status::Unreadable}, {"empty.ogg", Status::Unreadable},
        {"fifo.ogg", Status::Unreadable}, {"folder.ogg", Status::Missing},
        {"none.ogg", Status::Missing},
    };
    for (const auto& [name, status] : rows)
        EXPECT_EQ(ReadOggVorbisLength(dir / name).status, status) << name;
}

} // namespace
