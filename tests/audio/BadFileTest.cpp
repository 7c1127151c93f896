// Files that are not Ogg Vorbis, or are damaged: no handle, negative seconds,
// and every call on the missing stream does nothing.
#include "AudioTestSupport.h"

#include "audio/Bass.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

using namespace audiotest;
namespace fs = std::filesystem;

namespace {

struct BadFile {
    const char* name;
    // Makes the file at the path from a good Ogg Vorbis file's bytes.
    std::function<void(const fs::path&, std::vector<unsigned char>)> make;
};

class BadFileTest : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadFileTest, GivesHandleZeroAndNegativeSeconds) {
    TempDir dir;
    MakeToneOgg(dir / "good.ogg", 44100, 2, 0.2);
    const fs::path bad = dir / "bad.ogg";
    GetParam().make(bad, ReadBytes(dir / "good.ogg"));

    const HSTREAM h = BASS_StreamCreateFile(FALSE, bad.c_str(), 0, 0, 0);
    EXPECT_EQ(h, 0u);
    const QWORD bytes = BASS_ChannelGetLength(h, BASS_LENGTH_BYTES);
    EXPECT_EQ(bytes, std::numeric_limits<QWORD>::max());
    const auto kept = static_cast<std::int64_t>(static_cast<std::int32_t>(bytes & 0xffffffffu));
    EXPECT_LT(BASS_ChannelBytes2Seconds(h, static_cast<QWORD>(kept)), 0.0);
    EXPECT_FALSE(BASS_ChannelPlay(h, TRUE));
    EXPECT_EQ(BASS_ChannelIsActive(h), 0u);
    EXPECT_FALSE(BASS_ChannelStop(h));
    // The file is read, never written.
    if (fs::is_regular_file(bad)) {
        const auto before = ReadBytes(bad);
        BASS_StreamCreateFile(FALSE, bad.c_str(), 0, 0, 0);
        EXPECT_EQ(ReadBytes(bad), before);
    }
}

std::vector<unsigned char> Text(const std::string& s) {
    return {s.begin(), s.end()};
}

INSTANTIATE_TEST_SUITE_P(Files, BadFileTest,
                         ::testing::Values(
                             BadFile{"Missing", [](const fs::path&, std::vector<unsigned char>) {}},
                             BadFile{"Empty",
                                     [](const fs::path& p, std::vector<unsigned char>) {
                                         WriteBytes(p, {});
                                     }},
                             BadFile{"Text",
                                     [](const fs::path& p, std::vector<unsigned char>) {
                                         WriteBytes(p, Text("not a sound\n"));
                                     }},
                             BadFile{"Folder",
                                     [](const fs::path& p, std::vector<unsigned char>) {
                                         fs::create_directory(p);
                                     }},
                             BadFile{"Wav",
                                     [](const fs::path& p, std::vector<unsigned char>) {
                                         WriteWav(p, 44100, 1, Tone(44100, 1, 1000));
                                     }},
                             BadFile{
                                 "FirstPageOnly",
                                 [](const fs::path& p, std::vector<unsigned char> b) {
                                     b.resize(
                                         58); // the identification header page, nothing after it
                                     WriteBytes(p, b);
                                 }},
                             BadFile{"HeadersCut",
                                     [](const fs::path& p, std::vector<unsigned char> b) {
                                         b.resize(200);
                                         WriteBytes(p, b);
                                     }},
                             BadFile{"CapturePatternDamaged",
                                     [](const fs::path& p, std::vector<unsigned char> b) {
                                         b[0] = 'X';
                                         WriteBytes(p, b);
                                     }},
                             BadFile{"IdentificationHeaderDamaged",
                                     [](const fs::path& p, std::vector<unsigned char> b) {
                                         for (std::size_t i = 28; i < 40 && i < b.size(); ++i) {
                                             b[i] ^= 0xff; // "\x01vorbis" and the version inside
                                                           // the first page
                                         }
                                         WriteBytes(p, b);
                                     }},
                             BadFile{"RandomBytes",
                                     [](const fs::path& p, std::vector<unsigned char> b) {
                                         unsigned x = 12345;
                                         for (auto& c : b) {
                                             x = x * 1103515245u + 12345u;
                                             c = static_cast<unsigned char>(x >> 16);
                                         }
                                         WriteBytes(p, b);
                                     }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BadArguments, OnlyWholeFilesByPathAreAccepted) {
    TempDir dir;
    MakeToneOgg(dir / "a.ogg", 22050, 1, 0.1);
    const std::string path = (dir / "a.ogg").string();
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, nullptr, 0, 0, 0), 0u);
    EXPECT_EQ(BASS_StreamCreateFile(TRUE, path.c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, path.c_str(), 10, 0, 0), 0u);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, path.c_str(), 0, 100, 0), 0u);
    const HSTREAM h = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    EXPECT_NE(h, 0u);
    BASS_ChannelStop(h);
}

} // namespace
