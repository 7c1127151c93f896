#include "app/TGauge.h"

#include "app/AccessibleGauge.h"
#include "app/ERangeError.h"

#include <QPainter>

#include <algorithm>
#include <climits>
#include <cstdint>

TGauge::TGauge(QWidget* parent) : QWidget(parent) {}

void TGauge::SetProgress(int value) {
    Apply(min_, max_, value);
}

void TGauge::SetMinValue(int value) {
    if (value > max_) RaiseRangeError(INT_MIN, std::int64_t{max_} - 1);
    Apply(value, max_, progress_);
}

void TGauge::SetMaxValue(int value) {
    // The bounds named in the message are the ones users of this gauge have
    // always seen: one above the minimum up to the largest int, although the
    // minimum itself is accepted (an empty range shows 0%).
    if (value < min_) RaiseRangeError(std::int64_t{min_} + 1, INT_MAX);
    Apply(min_, value, progress_);
}

int TGauge::PercentDone() const {
    if (max_ == min_) return 0;
    // 64-bit so that a range spanning most of int neither overflows the
    // difference nor the multiplication by 100.
    return static_cast<int>(100 * (std::int64_t{progress_} - min_) / (std::int64_t{max_} - min_));
}

QSize TGauge::sizeHint() const {
    return {100, 16};
}

void TGauge::Apply(int min, int max, int progress) {
    const int before = PercentDone();
    min_ = min;
    max_ = max;
    progress_ = std::clamp(progress, min_, max_);
    if (PercentDone() != before) update();
    NotifyGaugeChanged(this);
}

void TGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect whole = rect();
    painter.fillRect(whole, Qt::black); // the frame is what the field leaves uncovered
    const QRect field = whole.adjusted(1, 1, -1, -1);
    if (field.isEmpty()) return;

    const int percent = PercentDone();
    const int filledWidth = static_cast<int>(std::int64_t{field.width()} * percent / 100);
    const QRect filled(field.left(), field.top(), filledWidth, field.height());
    const QRect empty(field.left() + filledWidth, field.top(), field.width() - filledWidth,
                      field.height());
    painter.fillRect(filled, Qt::black);
    painter.fillRect(empty, Qt::white);

    // The text is drawn twice, each time clipped to one part, so every glyph
    // pixel takes the opposite colour of the field under it.
    const QString text = QStringLiteral("%1%").arg(percent);
    painter.setFont(font());
    painter.setClipRect(empty);
    painter.setPen(Qt::black);
    painter.drawText(field, Qt::AlignCenter, text);
    painter.setClipRect(filled);
    painter.setPen(Qt::white);
    painter.drawText(field, Qt::AlignCenter, text);
}
