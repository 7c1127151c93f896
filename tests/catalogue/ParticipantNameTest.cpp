#include "catalogue/ParticipantName.h"

#include <gtest/gtest.h>

#include <string>

namespace zenor {
namespace {

struct NameCase {
    std::string name;
    bool matches;
    std::string id; // checked only for matches
};

class ParticipantNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ParticipantNameTest, MatchesAndGivesTheId) {
    const NameCase& c = GetParam();
    EXPECT_EQ(IsParticipantFileName(c.name), c.matches);
    if (c.matches) {
        EXPECT_EQ(std::string(WorkIdOf(c.name)), c.id);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, ParticipantNameTest,
    ::testing::Values(
        NameCase{"12345_0.ans", true, "12345"}, NameCase{"12345_0.ogg", true, "12345"},
        NameCase{"12345_2.ogg", true, "12345"}, NameCase{"12345_3.ogg", true, "12345"},
        NameCase{"AB-12_2.OGG", true, "AB-12"}, NameCase{"ab.cd_3.Ogg", true, "ab.cd"},
        NameCase{"12345_0.AnS", true, "12345"}, NameCase{"_____3.ogg", false, ""},
        NameCase{"a_b_c_0.ans", true, "a_b_c"}, NameCase{".....", false, ""},
        NameCase{"1234_0.ans", false, ""}, NameCase{"123456_0.ans", false, ""},
        NameCase{"12345_1.ogg", false, ""}, NameCase{"12345-0.ans", false, ""},
        NameCase{"12345_0.ans.bak", false, ""}, NameCase{"12345_2.ans", false, ""},
        NameCase{"12345_0.wav", false, ""}, NameCase{"12345_0_ans", false, ""},
        NameCase{"", false, ""}, NameCase{"_0.ans", false, ""},
        // Characters, not bytes: five Cyrillic letters are five characters.
        NameCase{"Ответ_0.ans", true, "Ответ"}, NameCase{"Отв_0.ans", false, ""},
        NameCase{"€2345_3.ogg", true, "€2345"}, NameCase{"😀2345_2.ogg", true, "😀2345"},
        // The fixed part folds only ASCII letters.
        NameCase{"12345_0.аns", false, ""},
        // Bytes that are not UTF-8 count one character each and stay in the ID.
        NameCase{"\xff\xfe\xfd\xfc\xfb_0.ans", true, "\xff\xfe\xfd\xfc\xfb"},
        NameCase{"\xe2\x82"
                 "345_0.ans",
                 true,
                 "\xe2\x82"
                 "345"},
        NameCase{"\xc0\xaf"
                 "345_0.ogg",
                 true,
                 "\xc0\xaf"
                 "345"},
        NameCase{"\xed\xa0\x80"
                 "45_0.ogg",
                 true,
                 "\xed\xa0\x80"
                 "45"},
        NameCase{"12345_0.an\xc5", false, ""},
        NameCase{"\xf0\x9f\x98"
                 "2345_0.ans",
                 false, ""}));

TEST(CountCharacters, CountsCodePointsAndStrayBytes) {
    EXPECT_EQ(CountCharacters(""), 0u);
    EXPECT_EQ(CountCharacters("abc"), 3u);
    EXPECT_EQ(CountCharacters("Жук"), 3u);
    EXPECT_EQ(CountCharacters("\xf4\x8f\xbf\xbf"), 1u); // U+10FFFF
    EXPECT_EQ(CountCharacters("\xf4\x90\x80\x80"), 4u); // past U+10FFFF
    EXPECT_EQ(CountCharacters("\xe0\x80\x80"), 3u);     // overlong
    EXPECT_EQ(CountCharacters("\x80\x80"), 2u);         // stray continuations
    EXPECT_EQ(CountCharacters("\xe2\x82"), 2u);         // cut short at the end
}

} // namespace
} // namespace zenor
