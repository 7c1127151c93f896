// A scratch folder tree under /tmp for the tests that walk the real file
// system (the catalogue's and the window's scan). Removed with everything
// below it when the object goes.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace zenor::test {

class TempTree {
public:
    TempTree() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zenor-tree-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
    }
    ~TempTree() {
        // Give back permissions a test took away, or removal would fail: the
        // root's first, so that the walk can list it.
        std::error_code ec;
        namespace fs = std::filesystem;
        fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
        for (auto it = fs::recursive_directory_iterator(root_, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            if (!it->is_symlink(ec))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(root_, ec);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& Root() const { return root_; }
    std::string Path(const std::string& rel) const { return root_ + "/" + rel; }

    void Dir(const std::string& rel) const { std::filesystem::create_directories(Path(rel)); }
    void File(const std::string& rel, const std::string& bytes = "x") const {
        const std::filesystem::path p = Path(rel);
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }
    void Link(const std::string& rel, const std::string& target) const {
        std::filesystem::create_symlink(target, Path(rel));
    }

private:
    std::string root_;
};

} // namespace zenor::test
