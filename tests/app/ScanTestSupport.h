// Folder trees for the window's scan tests: scratch trees under /tmp and a
// copy of the demo works, each removed with everything below it.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace scantest {

class Tree {
public:
    Tree() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zenor-scan-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
    }
    ~Tree() {
        std::error_code ec;
        std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        for (auto it = std::filesystem::recursive_directory_iterator(root_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            if (!it->is_symlink(ec))
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(root_, ec);
    }
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;

    const std::string& Root() const { return root_; }
    std::string Path(const std::string& rel) const { return root_ + "/" + rel; }
    void File(const std::string& rel, const std::string& bytes = "") const {
        const std::filesystem::path p = Path(rel);
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }

protected:
    std::string root_;
};

/// The demo works, copied whole.
class DemoCopy : public Tree {
public:
    DemoCopy() {
        std::filesystem::copy(std::string(ZENOR_SOURCE_DIR) + "/demo", root_,
                              std::filesystem::copy_options::recursive);
    }
};

} // namespace scantest
