#include "memtable/TqvrRecord.h"

#include <cassert>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

size_t ReadVarint(const uint8_t* p, uint64_t& v) {
    v = 0;
    size_t i = 0;
    int shift = 0;
    while (true) {
        uint8_t b = p[i++];
        v |= static_cast<uint64_t>(b & 0x7F) << shift;
        if (!(b & 0x80)) return i;
        shift += 7;
    }
}

size_t VarintSize(uint64_t v) {
    size_t n = 1;
    while (v >= 0x80) v >>= 7, ++n;
    return n;
}

size_t WriteVarint(uint8_t* p, uint64_t v) {
    size_t i = 0;
    while (v >= 0x80) {
        p[i++] = static_cast<uint8_t>(v | 0x80);
        v >>= 7;
    }
    p[i++] = static_cast<uint8_t>(v);
    return i;
}

TqvrRecord* Allocate(size_t length) {
    void* mem = std::malloc(sizeof(TqvrRecord) + (length ? length : 1));
    if (!mem) throw std::bad_alloc();
    auto* r = new (mem) TqvrRecord();
    r->length = static_cast<uint32_t>(length);
    return r;
}

// Byte offset of value `index` and the offset just past it.
void Span(const TqvrRecord& r, int index, size_t& begin, size_t& end) {
    const uint8_t* d = r.Data();
    size_t pos = 0;
    for (int i = 0;; ++i) {
        // Value `index` exists: callers check it against the layout the record was
        // made with, and every value takes at least its length byte.
        assert(pos < r.length);
        uint64_t l;
        size_t h = ReadVarint(d + pos, l);
        size_t next = pos + h + (l ? l - 1 : 0);
        if (i == index) {
            begin = pos;
            end = next;
            return;
        }
        pos = next;
    }
}

} // namespace

TqvrRecord* TqvrRecord::CreateEmpty(int fieldCount) {
    TqvrRecord* r = Allocate(static_cast<size_t>(fieldCount));
    std::memset(r->Data(), 0, static_cast<size_t>(fieldCount));
    return r;
}

TqvrRecord* TqvrRecord::Clone(const TqvrRecord& source) {
    TqvrRecord* r = Allocate(source.length);
    TqvrRecord header = source;
    std::memcpy(static_cast<void*>(r), &header, sizeof(TqvrRecord));
    std::memcpy(r->Data(), source.Data(), source.length);
    return r;
}

void TqvrRecord::Destroy(TqvrRecord* record) {
    if (!record) return;
    record->~TqvrRecord();
    std::free(record);
}

bool TqvrRecord::GetValue(int index, std::string_view& out) const {
    size_t b, e;
    Span(*this, index, b, e);
    uint64_t l;
    size_t h = ReadVarint(Data() + b, l);
    if (l == 0) {
        out = {};
        return false;
    }
    out = std::string_view(reinterpret_cast<const char*>(Data() + b + h), e - b - h);
    return true;
}

TqvrRecord* TqvrRecord::SetValue(TqvrRecord* record, int index, const std::string_view* value) {
    size_t b, e;
    Span(*record, index, b, e);
    uint64_t l = value ? value->size() + 1 : 0;
    size_t newLen = VarintSize(l) + (value ? value->size() : 0);
    size_t total = record->length - (e - b) + newLen;
    TqvrRecord* r = record;
    if (total != record->length) {
        r = Allocate(total);
        TqvrRecord header = *record;
        header.length = static_cast<uint32_t>(total);
        std::memcpy(static_cast<void*>(r), &header, sizeof(TqvrRecord));
        std::memcpy(r->Data(), record->Data(), b);
        std::memcpy(r->Data() + b + newLen, record->Data() + e, record->length - e);
    }
    size_t h = WriteVarint(r->Data() + b, l);
    if (value && !value->empty()) std::memcpy(r->Data() + b + h, value->data(), value->size());
    if (r != record) Destroy(record);
    return r;
}

TqvrRecord* TqvrRecord::AssignValues(TqvrRecord* target, const TqvrRecord& source) {
    TqvrRecord* r = target;
    if (target->length != source.length) {
        r = Allocate(source.length);
        TqvrRecord header = *target;
        header.length = source.length;
        std::memcpy(static_cast<void*>(r), &header, sizeof(TqvrRecord));
    }
    std::memcpy(r->Data(), source.Data(), source.length);
    if (r != target) Destroy(target);
    return r;
}
