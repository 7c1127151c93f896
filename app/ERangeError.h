// The range error of the window's own widgets: a value set outside the range
// a control accepts. It derives from the library's Exception so that the
// application's exception box shows it with its class name like any other.
#pragma once

#include "memtable/Exceptions.h"

class ERangeError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "ERangeError"; }
};

/// Raises ERangeError as "Value must be between <low> and <high>".
[[noreturn]] void RaiseRangeError(long long low, long long high);
