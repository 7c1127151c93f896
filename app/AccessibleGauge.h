// What a screen reader learns about the player's progress gauge: a progress
// bar whose value, minimum and maximum are the gauge's Progress, MinValue and
// MaxValue, named by the percentage it shows ("37%") unless the window gave
// it a name of its own. The value cannot be set from outside: the gauge only
// follows playback.
#pragma once

#include <QAccessibleWidget>
#include <memory>

class TGauge;

class AccessibleGauge : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccessibleGauge(TGauge* gauge);
    ~AccessibleGauge() override;

    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

    /// The percentage text as the gauge paints it.
    QString PercentText() const;

private:
    class Watcher;
    friend void NotifyGaugeChanged(TGauge* gauge);
    TGauge* Gauge() const;

    // What the last events told, so that nothing is told twice and a change
    // of Progress that leaves the percentage alone announces no new name.
    int toldPercent_ = -1;
    int toldProgress_ = 0;
    int toldMin_ = 0;
    int toldMax_ = 0;
    std::unique_ptr<Watcher> watcher_;
};

/// Tells assistive technology that the gauge's range or Progress changed:
/// a value-change event, and a name change when the percentage moved.
/// The interface calls it itself whenever the gauge is shown or repainted,
/// which the gauge does at every change of its percentage; a caller that
/// wants every change of Progress told may call it too. It does nothing for
/// a gauge that no client has asked about, and nothing when nothing changed.
void NotifyGaugeChanged(TGauge* gauge);
