// The ring between decoder and callback: bytes come out in the order they
// went in, across many wrap-arounds, with a writer and a reader on two threads.
#include "audio/ByteRing.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>
#include <vector>

namespace {

TEST(ByteRingTest, KeepsOrderAcrossWrapsBetweenTwoThreads) {
    ByteRing ring(1000); // not a power of two, not a multiple of the chunk sizes
    constexpr std::size_t total = 3'000'000;
    std::thread writer([&] {
        std::mt19937 rng(1);
        std::vector<unsigned char> chunk(700);
        std::size_t sent = 0;
        while (sent < total) {
            const std::size_t n = std::min<std::size_t>(rng() % chunk.size() + 1, total - sent);
            for (std::size_t i = 0; i < n; ++i) {
                chunk[i] = static_cast<unsigned char>((sent + i) * 31 % 251);
            }
            std::size_t done = 0;
            while (done < n) {
                done += ring.Write(chunk.data() + done, n - done);
            }
            sent += n;
        }
    });
    std::mt19937 rng(2);
    std::size_t got = 0;
    std::size_t wrong = 0;
    while (got < total) {
        const std::size_t n = std::min<std::size_t>(ring.Readable(), rng() % 900 + 1);
        const unsigned char* a;
        const unsigned char* b;
        std::size_t aLen;
        std::size_t bLen;
        ring.Peek(n, a, aLen, b, bLen);
        ASSERT_EQ(aLen + bLen, n);
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned char c = i < aLen ? a[i] : b[i - aLen];
            wrong += c != static_cast<unsigned char>((got + i) * 31 % 251) ? 1 : 0;
        }
        ring.Consume(n);
        got += n;
    }
    writer.join();
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(ring.Readable(), 0u);
    EXPECT_EQ(ring.Writable(), ring.Capacity());
}

TEST(ByteRingTest, WritesNoMoreThanThereIsRoomFor) {
    ByteRing ring(10);
    const unsigned char data[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    EXPECT_EQ(ring.Write(data, 16), 10u);
    EXPECT_EQ(ring.Writable(), 0u);
    EXPECT_EQ(ring.Write(data, 1), 0u);
    ring.Consume(4);
    EXPECT_EQ(ring.Write(data + 10, 6), 4u);
    const unsigned char* a;
    const unsigned char* b;
    std::size_t aLen;
    std::size_t bLen;
    ring.Peek(10, a, aLen, b, bLen);
    ASSERT_EQ(aLen, 6u);
    ASSERT_EQ(bLen, 4u);
    EXPECT_EQ(a[0], 5);
    EXPECT_EQ(a[5], 10);
    EXPECT_EQ(b[0], 11);
    EXPECT_EQ(b[3], 14);
    ring.Reset();
    EXPECT_EQ(ring.Readable(), 0u);
    EXPECT_EQ(ring.Writable(), 10u);
}

} // namespace
