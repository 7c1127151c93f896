// A scratch folder tree under /tmp for tests that walk the real file system.
// Removed with everything below it when the object goes.
#pragma once

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include <stdlib.h>
#include <sys/stat.h>

namespace zenor::test {

class TempTree {
public:
    TempTree() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zenor-cat-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
    }
    ~TempTree() {
        std::error_code ec;
        // Give back permissions a test took away, or removal would fail.
        for (auto it = std::filesystem::recursive_directory_iterator(
                 root_, std::filesystem::directory_options::skip_permission_denied, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_directory(ec) && !it->is_symlink(ec)) chmod(it->path().c_str(), 0755);
        }
        chmod(root_.c_str(), 0755);
        std::filesystem::remove_all(root_, ec);
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
