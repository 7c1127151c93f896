#include "review/PackPage.h"

#include <gtest/gtest.h>

namespace {

TEST(PackPage, EscapesTextAndEncodesLinks) {
    EXPECT_EQ(HtmlEscaped("<a href='x'>\"Tom\" & Jerry</a>"),
              "&lt;a href=&#39;x&#39;&gt;&quot;Tom&quot; &amp; Jerry&lt;/a&gt;");
    EXPECT_EQ(HtmlEscaped("да\xff"), "да\xEF\xBF\xBD");

    struct Row {
        const char* page;
        const char* file;
        const char* link;
    };
    const Row rows[] = {
        {"/r/review.html", "/r/a/12345_2.ogg", "./a/12345_2.ogg"},
        {"/r/out/review.html", "/r/Школа #1/7А ?50%/12345_2.ogg",
         "../%D0%A8%D0%BA%D0%BE%D0%BB%D0%B0%20%231/7%D0%90%20%3F50%25/12345_2.ogg"},
        {"/r/review.html", "/r/x/../b:c/12345_2.ogg", "./b%3Ac/12345_2.ogg"},
    };
    for (const Row& row : rows) EXPECT_EQ(FileLink(row.page, row.file), row.link) << row.file;
}

} // namespace
