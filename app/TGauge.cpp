#include "app/TGauge.h"

#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <stdexcept>

TGauge::TGauge(QWidget* parent) : QWidget(parent) {}

void TGauge::SetProgress(int value) { apply(m_min, m_max, value); }

void TGauge::SetMinValue(int value) {
  if (value > m_max)
    throw std::range_error("range");
  apply(value, m_max, m_progress);
}

void TGauge::SetMaxValue(int value) {
  if (value < m_min)
    throw std::range_error("range");
  apply(m_min, value, m_progress);
}

int TGauge::PercentDone() const {
  if (m_max == m_min)
    return 0;
  return static_cast<int>(100 * (std::int64_t{m_progress} - m_min) / (std::int64_t{m_max} - m_min));
}

QSize TGauge::sizeHint() const { return {100, 16}; }

void TGauge::apply(int min, int max, int progress) {
  const int before = PercentDone();
  m_min = min;
  m_max = max;
  m_progress = std::clamp(progress, m_min, m_max);
  if (PercentDone() != before)
    update();
}

void TGauge::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
}
