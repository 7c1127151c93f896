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
    explicit Watcher(TGauge* gauge) : m_gauge(gauge) { gauge->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_gauge && (event->type() == QEvent::Paint || event->type() == QEvent::Show))
            NotifyGaugeChanged(m_gauge);
        return QObject::eventFilter(watched, event);
    }

private:
    TGauge* m_gauge;
};

AccessibleGauge::AccessibleGauge(TGauge* gauge)
    : QAccessibleWidget(gauge, QAccessible::ProgressBar) {
    m_toldPercent = gauge->PercentDone();
    m_toldProgress = gauge->Progress();
    m_toldMin = gauge->MinValue();
    m_toldMax = gauge->MaxValue();
    m_watcher = std::make_unique<Watcher>(gauge);
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

TGauge* AccessibleGauge::gauge() const {
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
    return QStringLiteral("%1%").arg(gauge()->PercentDone());
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
    return gauge()->Progress();
}

void AccessibleGauge::setCurrentValue(const QVariant&) {
    // Read-only: the position belongs to the playback that drives it.
}

QVariant AccessibleGauge::maximumValue() const {
    return gauge()->MaxValue();
}

QVariant AccessibleGauge::minimumValue() const {
    return gauge()->MinValue();
}

QVariant AccessibleGauge::minimumStepSize() const {
    return 0;
}

void NotifyGaugeChanged(TGauge* gauge) {
    AccessibleGauge* iface = Asked().value(gauge, nullptr);
    if (iface == nullptr) return;
    if (gauge->Progress() != iface->m_toldProgress || gauge->MinValue() != iface->m_toldMin ||
        gauge->MaxValue() != iface->m_toldMax) {
        iface->m_toldProgress = gauge->Progress();
        iface->m_toldMin = gauge->MinValue();
        iface->m_toldMax = gauge->MaxValue();
        QAccessibleValueChangeEvent valueEvent(gauge, gauge->Progress());
        PostAccessibleEvent(valueEvent);
    }
    const int percent = gauge->PercentDone();
    if (percent != iface->m_toldPercent) {
        iface->m_toldPercent = percent;
        if (gauge->accessibleName().isEmpty()) {
            QAccessibleEvent nameEvent(gauge, QAccessible::NameChanged);
            PostAccessibleEvent(nameEvent);
        }
    }
}
