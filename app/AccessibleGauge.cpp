#include "app/AccessibleGauge.h"

#include "app/AccessibleEvents.h"
#include "app/TGauge.h"

#include <QAccessible>
#include <QEvent>
#include <QHash>
#include <QObject>

namespace {

// The gauges a client has asked about. Only those have anybody to tell, and
// looking one up costs nothing on the gauge's path when nobody listens.
QHash<const TGauge*, AccessibleGauge*>& Asked() {
    static QHash<const TGauge*, AccessibleGauge*> asked;
    return asked;
}

} // namespace

// The gauge repaints exactly when its percentage changes, and a hidden gauge
// may have changed unseen; both moments are when a reader must hear of it.
class AccessibleGauge::Watcher : public QObject {
public:
    explicit Watcher(TGauge* gauge) : gauge_(gauge) { gauge->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == gauge_ && (event->type() == QEvent::Paint || event->type() == QEvent::Show))
            NotifyGaugeChanged(gauge_);
        return QObject::eventFilter(watched, event);
    }

private:
    TGauge* gauge_;
};

AccessibleGauge::AccessibleGauge(TGauge* gauge)
    : QAccessibleWidget(gauge, QAccessible::ProgressBar) {
    toldPercent_ = gauge->PercentDone();
    toldProgress_ = gauge->Progress();
    toldMin_ = gauge->MinValue();
    toldMax_ = gauge->MaxValue();
    watcher_ = std::make_unique<Watcher>(gauge);
    Asked().insert(gauge, this);
}

AccessibleGauge::~AccessibleGauge() {
    for (auto it = Asked().begin(); it != Asked().end();) {
        if (it.value() == this)
            it = Asked().erase(it);
        else
            ++it;
    }
}

TGauge* AccessibleGauge::Gauge() const {
    return static_cast<TGauge*>(widget());
}

QAccessible::Role AccessibleGauge::role() const {
    return QAccessible::ProgressBar;
}

QAccessible::State AccessibleGauge::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    s.focusable = false;
    return s;
}

QString AccessibleGauge::PercentText() const {
    return QStringLiteral("%1%").arg(Gauge()->PercentDone());
}

QString AccessibleGauge::text(QAccessible::Text t) const {
    switch (t) {
    case QAccessible::Name: {
        // A sighted user sees nothing on the bar but the percentage; that is
        // its name, unless the window named it.
        const QString own = widget()->accessibleName();
        return own.isEmpty() ? PercentText() : own;
    }
    case QAccessible::Value:
        return PercentText();
    default:
        return QAccessibleWidget::text(t);
    }
}

void* AccessibleGauge::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

QVariant AccessibleGauge::currentValue() const {
    return Gauge()->Progress();
}

void AccessibleGauge::setCurrentValue(const QVariant&) {
    // Read-only: the position belongs to the playback that drives it.
}

QVariant AccessibleGauge::maximumValue() const {
    return Gauge()->MaxValue();
}

QVariant AccessibleGauge::minimumValue() const {
    return Gauge()->MinValue();
}

QVariant AccessibleGauge::minimumStepSize() const {
    return 0;
}

void NotifyGaugeChanged(TGauge* gauge) {
    AccessibleGauge* iface = Asked().value(gauge, nullptr);
    if (iface == nullptr) return;
    if (gauge->Progress() != iface->toldProgress_ || gauge->MinValue() != iface->toldMin_ ||
        gauge->MaxValue() != iface->toldMax_) {
        iface->toldProgress_ = gauge->Progress();
        iface->toldMin_ = gauge->MinValue();
        iface->toldMax_ = gauge->MaxValue();
        QAccessibleValueChangeEvent valueEvent(gauge, gauge->Progress());
        PostAccessibleEvent(valueEvent);
    }
    const int percent = gauge->PercentDone();
    if (percent != iface->toldPercent_) {
        iface->toldPercent_ = percent;
        if (gauge->accessibleName().isEmpty()) {
            QAccessibleEvent nameEvent(gauge, QAccessible::NameChanged);
            PostAccessibleEvent(nameEvent);
        }
    }
}
