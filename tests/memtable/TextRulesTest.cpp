// Names match by Unicode full case folding. ASCII pairs take a short road;
// the rows around its edge (an ASCII text against one that folds onto ASCII
// from outside it) must agree with the folding.
#include "memtable/TextRules.h"

#include <gtest/gtest.h>

namespace {

TEST(EqualIgnoringCase, FoldsByUnicodeRules) {
    struct Row {
        const char* a;
        const char* b;
        bool equal;
    };
    const Row rows[] = {
        {"pathWork", "PATHWORK", true},
        {"a1", "A1", true},
        {"a1", "a2", false},
        {"a1", "a10", false},
        {"", "", true},
        {"@[", "`{", false}, // neighbours of the letters do not fold
        {"Путь", "пУТЬ", true},
        {"Путь", "Path", false},
        {"k", "\xE2\x84\xAA", true}, // KELVIN SIGN folds to k
        {"S", "\xC5\xBF", true},     // LATIN SMALL LETTER LONG S folds to s
        {"STRASSE", "straße", true}, // ß folds to ss: lengths differ
        {"strasse", "strase", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(textrules::EqualIgnoringCase(row.a, row.b), row.equal) << row.a << " / " << row.b;
        EXPECT_EQ(textrules::EqualIgnoringCase(row.b, row.a), row.equal) << row.b << " / " << row.a;
    }
}

} // namespace
