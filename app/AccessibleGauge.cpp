#include "app/AccessibleGauge.h"

#include "app/AccessibleEvents.h"
#include "app/TGauge.h"

#include <QAccessible>
#include <QHash>

namespace {

// The gauges a client has asked about. Only those have anybody to tell, and
// looking one up costs nothing on the gauge's path when nobody listens.
QHash<const TGauge*, AccessibleGauge*>& Asked() {
  static QHash<const TGauge*, AccessibleGauge*> asked;
  return asked;
}

}  // namespace

AccessibleGauge::AccessibleGauge(TGauge* gauge) : QAccessibleWidget(gauge, QAccessible::ProgressBar) {
  m_reportedPercent = gauge->PercentDone();
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

TGauge* AccessibleGauge::gauge() const { return static_cast<TGauge*>(widget()); }

QAccessible::Role AccessibleGauge::role() const { return QAccessible::ProgressBar; }

QAccessible::State AccessibleGauge::state() const {
  QAccessible::State s = QAccessibleWidget::state();
  s.readOnly = true;
  s.focusable = false;
  return s;
}

QString AccessibleGauge::PercentText() const { return QStringLiteral("%1%").arg(gauge()->PercentDone()); }

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
  if (t == QAccessible::ValueInterface)
    return static_cast<QAccessibleValueInterface*>(this);
  return QAccessibleWidget::interface_cast(t);
}

QVariant AccessibleGauge::currentValue() const { return gauge()->Progress(); }

void AccessibleGauge::setCurrentValue(const QVariant&) {
  // Read-only: the position belongs to the playback that drives it.
}

QVariant AccessibleGauge::maximumValue() const { return gauge()->MaxValue(); }

QVariant AccessibleGauge::minimumValue() const { return gauge()->MinValue(); }

QVariant AccessibleGauge::minimumStepSize() const { return 0; }

void NotifyGaugeChanged(TGauge* gauge) {
  AccessibleGauge* iface = Asked().value(gauge, nullptr);
  if (iface == nullptr)
    return;
  QAccessibleValueChangeEvent valueEvent(gauge, gauge->Progress());
  PostAccessibleEvent(valueEvent);
  const int percent = gauge->PercentDone();
  if (percent != iface->m_reportedPercent) {
    iface->m_reportedPercent = percent;
    if (gauge->accessibleName().isEmpty()) {
      QAccessibleEvent nameEvent(gauge, QAccessible::NameChanged);
      PostAccessibleEvent(nameEvent);
    }
  }
}
