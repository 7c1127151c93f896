// A copy of a list of pointers, taken before each member is called in turn:
// a call may add members to the list or take them off it, and the walk must
// not trip over that. Tables notify their data sources, and data sources
// their links, several times per record written, so a short list is copied
// onto the stack rather than into a fresh allocation each time.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

template <typename T> class PointerSnapshot {
public:
    explicit PointerSnapshot(const std::vector<T*>& list) : size_(list.size()) {
        if (size_ <= kInline)
            std::copy(list.begin(), list.end(), inline_.begin());
        else
            heap_ = list;
    }
    PointerSnapshot(const PointerSnapshot&) = delete;
    PointerSnapshot& operator=(const PointerSnapshot&) = delete;

    T* const* begin() const { return size_ <= kInline ? inline_.data() : heap_.data(); }
    T* const* end() const { return begin() + size_; }

private:
    static constexpr std::size_t kInline = 8;
    std::size_t size_;
    std::array<T*, kInline> inline_{};
    std::vector<T*> heap_;
};
