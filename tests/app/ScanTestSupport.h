// The demo works in a scratch tree, for the window's scan tests.
#pragma once

#include <filesystem>
#include <string>

#include "tests/support/TempTree.h"

namespace scantest {

using Tree = zenor::test::TempTree;

/// The demo works, copied whole.
class DemoCopy : public Tree {
public:
    DemoCopy() {
        std::filesystem::copy(std::string(ZENOR_SOURCE_DIR) + "/demo", Root(),
                              std::filesystem::copy_options::recursive);
    }
};

} // namespace scantest
