// The progress gauge as assistive technology sees it: a progress bar with the
// gauge's range and position, named by its percentage, and told about changes.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <algorithm>
#include <memory>
#include <vector>

#include "app/AccessibleEvents.h"
#include "app/AccessibleFactories.h"
#include "app/AccessibleGauge.h"
#include "app/TGauge.h"

namespace {

class AccessibleGaugeTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallAccessibleFactories();
        gauge_ = std::make_unique<TGauge>(nullptr);
        SetAccessibleEventObserver([this](QAccessibleEvent& e) {
            if (e.object() == gauge_.get()) told_.push_back(e.type());
        });
    }
    void TearDown() override { SetAccessibleEventObserver({}); }

    QAccessibleInterface* Iface() { return QAccessible::queryAccessibleInterface(gauge_.get()); }
    int Count(QAccessible::Event type) const {
        return static_cast<int>(std::count(told_.begin(), told_.end(), type));
    }

    std::unique_ptr<TGauge> gauge_;
    std::vector<QAccessible::Event> told_;
};

TEST_F(AccessibleGaugeTest, IsAReadOnlyProgressBarWithTheGaugesRange) {
    QAccessibleInterface* iface = Iface();
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::ProgressBar);
    EXPECT_TRUE(iface->state().readOnly);
    EXPECT_FALSE(iface->state().focusable);
    QAccessibleValueInterface* value = iface->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 100);
    EXPECT_EQ(value->currentValue().toInt(), 0);

    gauge_->SetMaxValue(37);
    gauge_->SetProgress(12);
    EXPECT_EQ(value->maximumValue().toInt(), 37);
    EXPECT_EQ(value->currentValue().toInt(), 12);

    // The position belongs to playback: a client cannot move it.
    value->setCurrentValue(30);
    EXPECT_EQ(gauge_->Progress(), 12);
}

struct PercentRow {
    int max;
    int progress;
    const char* text;
};

class AccessibleGaugePercent : public AccessibleGaugeTest,
                               public ::testing::WithParamInterface<PercentRow> {};

TEST_P(AccessibleGaugePercent, NameAndValueTextAreThePaintedPercentage) {
    const PercentRow& row = GetParam();
    gauge_->SetMaxValue(row.max);
    gauge_->SetProgress(row.progress);
    EXPECT_EQ(Iface()->text(QAccessible::Name), QString::fromUtf8(row.text));
    EXPECT_EQ(Iface()->text(QAccessible::Value), QString::fromUtf8(row.text));
}

INSTANTIATE_TEST_SUITE_P(Rows, AccessibleGaugePercent,
                         ::testing::Values(PercentRow{100, 0, "0%"}, PercentRow{37, 12, "32%"},
                                           PercentRow{3, 2, "66%"}, PercentRow{37, 37, "100%"},
                                           PercentRow{37, 90, "100%"}, // held at the maximum
                                           PercentRow{0, 0, "0%"}));   // an empty range

TEST_F(AccessibleGaugeTest, AGivenNameWinsOverThePercentage) {
    gauge_->setAccessibleName(QStringLiteral("Прослушано"));
    EXPECT_EQ(Iface()->text(QAccessible::Name), QStringLiteral("Прослушано"));
    EXPECT_EQ(Iface()->text(QAccessible::Value), QStringLiteral("0%"));
}

TEST_F(AccessibleGaugeTest, ChangesAreToldOnceAClientHasAsked) {
    gauge_->SetProgress(5);
    EXPECT_TRUE(told_.empty()) << "nobody asked yet, so nobody is told";

    (void)Iface();
    gauge_->SetMaxValue(300);
    gauge_->SetProgress(1); // 0% now: the value changes, the name does not
    NotifyGaugeChanged(gauge_.get());
    const int values = Count(QAccessible::ValueChanged);
    EXPECT_GE(values, 1);
    EXPECT_EQ(Count(QAccessible::NameChanged), 2); // 5% -> 1% -> 0%

    gauge_->SetProgress(3); // 1%
    NotifyGaugeChanged(gauge_.get());
    EXPECT_GT(Count(QAccessible::ValueChanged), values);
    EXPECT_EQ(Count(QAccessible::NameChanged), 3);

    // Nothing new, nothing told.
    const std::size_t before = told_.size();
    NotifyGaugeChanged(gauge_.get());
    NotifyGaugeChanged(nullptr);
    EXPECT_EQ(told_.size(), before);
}

TEST_F(AccessibleGaugeTest, AGaugeGoneIsForgotten) {
    (void)Iface();
    TGauge* old = gauge_.get();
    gauge_.reset();
    NotifyGaugeChanged(old); // must not touch the freed gauge's interface
    EXPECT_TRUE(told_.empty());
}

} // namespace
