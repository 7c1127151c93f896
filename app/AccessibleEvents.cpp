#include "app/AccessibleEvents.h"

#include <utility>

namespace {

AccessibleEventObserver& Observer() {
    static AccessibleEventObserver observer;
    return observer;
}

} // namespace

void PostAccessibleEvent(QAccessibleEvent& event) {
    if (Observer()) Observer()(event);
    QAccessible::updateAccessibility(&event);
}

void SetAccessibleEventObserver(AccessibleEventObserver observer) {
    Observer() = std::move(observer);
}
