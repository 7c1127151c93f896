// The gauge's range rules, its percentage, its look and when it repaints.
#include "app/ERangeError.h"
#include "app/TGauge.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QPointer>

#include <climits>
#include <memory>

namespace {

class GaugeTest : public ::testing::Test {
protected:
    void SetUp() override { gauge_ = std::make_unique<TGauge>(nullptr); }
    std::unique_ptr<TGauge> gauge_;
};

TEST_F(GaugeTest, StartsAtZeroOfHundred) {
    EXPECT_EQ(gauge_->MinValue(), 0);
    EXPECT_EQ(gauge_->MaxValue(), 100);
    EXPECT_EQ(gauge_->Progress(), 0);
    EXPECT_EQ(gauge_->PercentDone(), 0);
}

struct RangeCase {
    int max;
    int progress;
    int expectedProgress;
    int expectedPercent;
};

class GaugeRangeTest : public GaugeTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(GaugeRangeTest, ProgressIsClampedAndPercentTruncated) {
    const RangeCase c = GetParam();
    gauge_->SetMaxValue(c.max);
    gauge_->SetProgress(c.progress);
    EXPECT_EQ(gauge_->Progress(), c.expectedProgress);
    EXPECT_EQ(gauge_->PercentDone(), c.expectedPercent);
}

INSTANTIATE_TEST_SUITE_P(Rows, GaugeRangeTest,
                         ::testing::Values(RangeCase{100, 50, 50, 50},
                                           RangeCase{100, 101, 100, 100}, RangeCase{100, -1, 0, 0},
                                           RangeCase{3, 1, 1, 33}, RangeCase{3, 2, 2, 66},
                                           RangeCase{37, 36, 36, 97}, RangeCase{37, 38, 37, 100},
                                           RangeCase{0, 0, 0, 0}, RangeCase{0, 1, 0, 0},
                                           RangeCase{INT_MAX, INT_MAX - 1, INT_MAX - 1, 99},
                                           RangeCase{INT_MAX, INT_MAX, INT_MAX, 100}));

TEST_F(GaugeTest, LoweringMaxPullsProgressDown) {
    gauge_->SetProgress(80);
    gauge_->SetMaxValue(37);
    EXPECT_EQ(gauge_->Progress(), 37);
    EXPECT_EQ(gauge_->PercentDone(), 100);
    gauge_->SetMaxValue(200); // raising it again does not restore the old position
    EXPECT_EQ(gauge_->Progress(), 37);
    EXPECT_EQ(gauge_->PercentDone(), 18);
}

TEST_F(GaugeTest, MaxBelowMinIsRangeErrorAndChangesNothing) {
    gauge_->SetProgress(40);
    try {
        gauge_->SetMaxValue(-1);
        FAIL() << "no range error";
    } catch (const ERangeError& e) {
        EXPECT_STREQ(e.what(), "Value must be between 1 and 2147483647");
        EXPECT_STREQ(e.ClassName(), "ERangeError");
    }
    EXPECT_EQ(gauge_->MaxValue(), 100);
    EXPECT_EQ(gauge_->Progress(), 40);

    gauge_->SetMinValue(5);
    EXPECT_THROW(
        {
            try {
                gauge_->SetMaxValue(4);
            } catch (const Exception&
                         e) { // caught as the library's base class, as the exception box does
                EXPECT_STREQ(e.what(), "Value must be between 6 and 2147483647");
                throw;
            }
        },
        ERangeError);
    gauge_->SetMaxValue(5); // equal to the minimum is allowed
    EXPECT_EQ(gauge_->Progress(), 5);
    EXPECT_EQ(gauge_->PercentDone(), 0);
}

TEST_F(GaugeTest, MinAboveMaxIsRangeErrorAndRaisingMinPullsProgressUp) {
    EXPECT_THROW(gauge_->SetMinValue(101), ERangeError);
    EXPECT_EQ(gauge_->MinValue(), 0);
    gauge_->SetMinValue(30);
    EXPECT_EQ(gauge_->Progress(), 30);
    gauge_->SetProgress(65);
    EXPECT_EQ(gauge_->PercentDone(), 50);
}

TEST_F(GaugeTest, WholeIntRangeDoesNotOverflow) {
    gauge_->SetMinValue(INT_MIN);
    gauge_->SetMaxValue(INT_MAX);
    gauge_->SetProgress(0);
    EXPECT_EQ(gauge_->PercentDone(), 50);
    gauge_->SetProgress(INT_MAX);
    EXPECT_EQ(gauge_->PercentDone(), 100);
}

// Counts the paints a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

void FlushPaints() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

TEST_F(GaugeTest, RepaintsOnlyWhenPercentChanges) {
    gauge_->resize(150, 18);
    gauge_->show();
    FlushPaints();
    PaintCounter counter;
    gauge_->installEventFilter(&counter);

    gauge_->SetMaxValue(1000); // 0 of 1000 is still 0%
    gauge_->SetProgress(9);    // 0.9% truncates to 0
    FlushPaints();
    EXPECT_EQ(counter.paints, 0);

    gauge_->SetProgress(10); // 1%
    FlushPaints();
    EXPECT_EQ(counter.paints, 1);

    gauge_->SetProgress(19);   // still 1%
    gauge_->SetMaxValue(1900); // 19 of 1900 is still 1%
    FlushPaints();
    EXPECT_EQ(counter.paints, 1);

    gauge_->SetMaxValue(19); // 100%
    FlushPaints();
    EXPECT_EQ(counter.paints, 2);
}

// Look: frame, fill proportional to the percentage, inverted centred text.
QImage Render(TGauge& gauge, int percent) {
    gauge.resize(202, 20);
    gauge.SetMaxValue(100);
    gauge.SetProgress(percent);
    return gauge.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool IsBlack(QRgb c) {
    return qGray(c) < 64;
}
bool IsWhite(QRgb c) {
    return qGray(c) > 192;
}

TEST_F(GaugeTest, LooksLikeFramedBarWithInvertedText) {
    for (int percent : {0, 50, 100}) {
        SCOPED_TRACE(percent);
        const QImage img = Render(*gauge_, percent);
        ASSERT_EQ(img.width(), 202);
        ASSERT_EQ(img.height(), 20);
        for (int x = 0; x < 202; ++x) {
            EXPECT_TRUE(IsBlack(img.pixel(x, 0)));
            EXPECT_TRUE(IsBlack(img.pixel(x, 19)));
        }
        for (int y = 0; y < 20; ++y) {
            EXPECT_TRUE(IsBlack(img.pixel(0, y)));
            EXPECT_TRUE(IsBlack(img.pixel(201, y)));
        }
        // The field is 200 pixels wide: the fill ends at 2 * percent.
        const int fillEnd = 1 + 2 * percent;
        // Columns near both ends hold no text: they show the bare fill.
        if (percent > 0) {
            EXPECT_TRUE(IsBlack(img.pixel(2, 10)));
        }
        if (percent < 100) {
            EXPECT_TRUE(IsWhite(img.pixel(199, 10)));
        }

        // Text pixels: white inside the fill, black outside it; their extent is centred.
        int textLeft = INT_MAX, textRight = -1, whiteInFill = 0, blackInEmpty = 0;
        for (int y = 1; y < 19; ++y) {
            for (int x = 1; x < 201; ++x) {
                const bool inFill = x < fillEnd;
                const QRgb c = img.pixel(x, y);
                const bool text = inFill ? !IsBlack(c) : !IsWhite(c);
                if (!text) continue;
                textLeft = std::min(textLeft, x);
                textRight = std::max(textRight, x);
                if (inFill && IsWhite(c)) ++whiteInFill;
                if (!inFill && IsBlack(c)) ++blackInEmpty;
            }
        }
        ASSERT_GE(textRight, 0) << "no text drawn";
        EXPECT_NEAR((textLeft + textRight) / 2.0, 101.0, 4.0);
        if (percent == 0) {
            EXPECT_GT(blackInEmpty, 10);
        }
        if (percent == 100) {
            EXPECT_GT(whiteInFill, 10);
        }
        if (percent == 50) { // the text straddles the edge: both colours at once
            EXPECT_GT(blackInEmpty, 5);
            EXPECT_GT(whiteInFill, 5);
        }
    }
}

} // namespace
