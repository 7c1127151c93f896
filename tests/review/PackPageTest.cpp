#include "review/PackPage.h"

#include "review/PageSources.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

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

TEST(PackPage, StripCodeIsOneCharacterPerColumn) {
    const float inf = HUGE_VALF;
    const std::vector<StripColumn> strip = {
        {-inf, -inf}, {-90, -80}, {-60, -50}, {-57.8f, -50}, {-30, -20},
        {-1, -0.5f},  {0, 0},     {-20, 0},   {-20, -0.01f},
    };
    EXPECT_EQ(StripCode(strip), ".aaanzZRr");
    EXPECT_EQ(StripCode({}), "");
}

TEST(PackPage, StorageKeyFollowsTheFolderAndTheIds) {
    auto works = [](std::vector<std::string> ids) {
        std::vector<CheckedWork> list(ids.size());
        for (std::size_t i = 0; i < ids.size(); ++i) list[i].id = ids[i];
        return list;
    };
    const std::string key = PageStorageKey("/exam/Answer", works({"10001", "10002"}));
    EXPECT_EQ(key.size(), std::string("zenor-review/").size() + 16);
    EXPECT_EQ(key.rfind("zenor-review/", 0), 0u);
    EXPECT_EQ(PageStorageKey("/exam/Answer/", works({"10001", "10002"})), key);
    EXPECT_EQ(PageStorageKey("/exam/./Answer", works({"10001", "10002"})), key);
    EXPECT_NE(PageStorageKey("/exam/Answer2", works({"10001", "10002"})), key);
    EXPECT_NE(PageStorageKey("/exam/Answer", works({"10001"})), key);
    EXPECT_NE(PageStorageKey("/exam/Answer", works({"1000", "110002"})), key);
}

TEST(PackPage, TemplatePartsAreFilledOrRefused) {
    const auto part = [](std::string_view name) -> std::optional<std::string> {
        if (name == "a") return "<A@@b@@>";
        return std::nullopt;
    };
    EXPECT_EQ(FillPageTemplate("x@@a@@y@@a@@", part), "x<A@@b@@>y<A@@b@@>");
    EXPECT_EQ(FillPageTemplate("plain", part), "plain");
    EXPECT_THROW(FillPageTemplate("x@@b@@", part), std::logic_error);
    EXPECT_THROW(FillPageTemplate("x@@a", part), std::logic_error);
}

// The page's own files: every part the template names is there, and no
// script could end its element early.
TEST(PackPage, PageSourcesAreWholeAndSafeToInline) {
    ASSERT_FALSE(PageSource("review.html").empty());
    EXPECT_TRUE(PageSource("none.js").empty());
    for (const char* name : {"review.css", "marks.js", "works.js", "store.js", "page.js"}) {
        const std::string_view text = PageSource(name);
        ASSERT_FALSE(text.empty()) << name;
        EXPECT_EQ(text.find("</script"), std::string_view::npos) << name;
        EXPECT_EQ(text.find("<!--"), std::string_view::npos) << name;
        EXPECT_EQ(text.find("@@"), std::string_view::npos) << name;
    }
}

TEST(PackPage, DataStandsInTheScriptWithNothingThatEndsIt) {
    CheckReport report;
    CheckedWork w;
    w.id = "10001";
    w.folder = "/t/a/";
    w.varNo = "</script><!--";
    w.answers[0] = "\xE2\x80\xA8&\xFF";
    w.sheetProblem = "x";
    w.recordings[1].status = RecordingMeasure::Status::Measured;
    w.recordings[1].seconds = 7.1234;
    w.recordings[1].strip = {{-30, -20}};
    w.problems.push_back({"10001", "/t/b/", "", "duplicate-id", "also in /t/a/", "2"});
    report.works.push_back(w);
    const std::string json =
        PageDataJson(report, "/t", "/t/review.html", {MarkRange{1, 5}, Measuring::kDecode});
    EXPECT_EQ(json.find_first_of("<>&"), std::string::npos);
    EXPECT_EQ(json.find("\xE2\x80\xA8"), std::string::npos);
    for (const char* part :
         {"\"measured\":true", "\"low\":1,\"high\":5", "\"folders\":[\"/t/a/\"]",
          "[\"10001\",0,\"\\u003c/script\\u003e\\u003c!--\",\"\\u2028\\u0026\xEF\xBF\xBD\"",
          "[[\"missing\",\"./a/10001_0.ogg\",null,\"\"],[\"ok\",\"./a/10001_2.ogg\",7.123,\"n\"]",
          "[[\"duplicate-id\",\"\",\"also in /t/a/\",\"2\",\"/t/b/\"]]"})
        EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;

    const std::string page =
        RenderPackPage(report, "/t<b>", "/t/review.html", {MarkRange{}, Measuring::kLengthOnly});
    EXPECT_NE(page.find("<html lang=\"ru\">"), std::string::npos);
    EXPECT_NE(page.find("/t&lt;b&gt;"), std::string::npos);
    EXPECT_NE(page.find("\"measured\":false"), std::string::npos);
    EXPECT_EQ(page.find("@@"), std::string::npos);
}

} // namespace
