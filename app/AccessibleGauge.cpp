#include "app/AccessibleGauge.h"

#include "app/TGauge.h"

#include <QAccessible>

AccessibleGauge::AccessibleGauge(TGauge* gauge) : QAccessibleWidget(gauge, QAccessible::ProgressBar) {
  m_reportedPercent = gauge->PercentDone();
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
  if (gauge == nullptr || !QAccessible::isActive())
    return;
  auto* iface = dynamic_cast<AccessibleGauge*>(QAccessible::queryAccessibleInterface(gauge));
  if (iface == nullptr)
    return;
  QAccessibleValueChangeEvent valueEvent(gauge, gauge->Progress());
  QAccessible::updateAccessibility(&valueEvent);
  const int percent = gauge->PercentDone();
  if (percent != iface->m_reportedPercent) {
    iface->m_reportedPercent = percent;
    if (gauge->accessibleName().isEmpty()) {
      QAccessibleEvent nameEvent(gauge, QAccessible::NameChanged);
      QAccessible::updateAccessibility(&nameEvent);
    }
  }
}
