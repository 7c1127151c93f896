#include "app/WindowFont.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cassert>

namespace {

QFont SansSerif(const QStringList& families) {
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

struct TightCaption {
    const char* text;
    int room; // pixels the control leaves for the text
    bool bold;
};

// The captions that sit tightest in their controls: a stand-in wider than
// the classic face is squeezed until every one of them fits.
const TightCaption kTightCaptions[] = {
    {"Путь до файлов с ответами участников ЗЕНОР", 225, false},
    {"Прослушать ответ", 105 - 8, false},
    {"Получить работы", 100 - 8, false},
    {"Задание № 1", 78, true},
    {"Вариант: ", 58, true},
};

QFont ChooseWindowFont() {
    const QString classic = QStringLiteral("MS Sans Serif");
    QFont font = SansSerif({classic});
    // Font configuration answers a missing family with a look-alike of its own
    // choosing, wider and taller than the layout allows; only the real face
    // counts.
    if (QFontInfo(font).family() == classic) return font;
    font = SansSerif({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("DejaVu Sans")});
    int stretch = 100;
    for (const TightCaption& caption : kTightCaptions) {
        QFont probe = font;
        probe.setBold(caption.bold);
        const int width = QFontMetrics(probe).horizontalAdvance(QString::fromUtf8(caption.text));
        if (width > caption.room) stretch = std::min(stretch, caption.room * 100 / width);
    }
    if (stretch < 100) font.setStretch(std::max(stretch - 1, 50));
    return font;
}

} // namespace

const QFont& WindowFont() {
    // Measuring needs the font database, which the application object opens.
    assert(QGuiApplication::instance() != nullptr);
    static const QFont font = ChooseWindowFont();
    return font;
}
