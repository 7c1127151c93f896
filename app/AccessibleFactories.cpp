#include "app/AccessibleFactories.h"

#include <QAccessible>

#include "app/AccessibleGauge.h"
#include "app/AccessibleGrid.h"
#include "app/TDBGridPlus.h"
#include "app/TGauge.h"

namespace {

// Qt asks with each class name up the object's inheritance chain; answering
// only for the exact class leaves subclasses to whatever suits them.
QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className == QLatin1String("TDBGridPlus")) {
        if (auto* grid = qobject_cast<TDBGridPlus*>(object)) return new AccessibleGrid(grid);
    } else if (className == QLatin1String("TGauge")) {
        if (auto* gauge = qobject_cast<TGauge*>(object)) return new AccessibleGauge(gauge);
    }
    return nullptr;
}

} // namespace

void InstallAccessibleFactories() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(Factory);
}
