#include "review/MisnamedFile.h"

#include <gtest/gtest.h>

namespace {

TEST(MisnamedFile, FlagsNamesMeantAsParticipantFilesOnly) {
    struct Row {
        const char* name;
        bool misnamed;
    };
    const Row rows[] = {
        {"12345_2.ogg", false},     {"AB-12_0.ANS", false}, {"notes.txt", false},
        {"12345_0.ans.txt", true},  {"1234_2.ogg", true},   {"12345 _3.ogg", true},
        {"12345_2.ogg.part", true}, {"123456_0.ans", true}, {"12345_1.ogg", true},
        {"answer.OGG", true},       {"Запись_2.ogg", true}, {"12345_2.oga", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(LooksLikeMisnamedParticipantFile(row.name), row.misnamed) << row.name;
}

} // namespace
