// The player's progress bar: an integer range MinValue..MaxValue with a
// position Progress that never leaves it, drawn as a black-framed white field
// filling black from the left with the percentage centred on it in inverse
// video. It repaints only when the percentage it shows changes, so a tick that
// moves Progress without moving the percentage costs no paint.
#pragma once

#include <QWidget>

class TGauge : public QWidget {
    Q_OBJECT

public:
    explicit TGauge(QWidget* parent);

    int Progress() const { return progress_; }
    /// Stores the value clamped into MinValue..MaxValue.
    void SetProgress(int value);

    int MinValue() const { return min_; }
    /// Fails with the range error when above MaxValue; raises Progress to it if needed.
    void SetMinValue(int value);

    int MaxValue() const { return max_; }
    /// Fails with the range error when below MinValue; pulls Progress down to it if needed.
    void SetMaxValue(int value);

    /// trunc(100 * (Progress - MinValue) / (MaxValue - MinValue)); 0 for an empty range.
    int PercentDone() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Every change of the three values goes through here, so the "repaint only
    // when the percentage changes" rule lives in one place.
    void Apply(int min, int max, int progress);

    int min_ = 0;
    int max_ = 100;
    int progress_ = 0;
};
