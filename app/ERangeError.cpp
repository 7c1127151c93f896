#include "app/ERangeError.h"

#include <string>

void RaiseRangeError(long long low, long long high) {
    throw ERangeError("Value must be between " + std::to_string(low) + " and " +
                      std::to_string(high));
}
