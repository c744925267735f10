#include "cpk/Codec.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/msgbox.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes B(std::initializer_list<int> v) {
    Bytes b;
    for (int x : v) {
        b.push_back(static_cast<uint8_t>(x));
    }
    return b;
}

std::string Decode(const Bytes& in, uint32_t capacity = 1 << 16) {
    std::vector<uint8_t> out(capacity + 1);
    uint32_t n = 12345;
    EXPECT_EQ(LzssDecode(in.data(), static_cast<uint32_t>(in.size()), out.data(), capacity, &n), 1);
    return std::string(out.begin(), out.begin() + n);
}

Bytes Pack(uint32_t method, const Bytes& in) {
    auto packed = Compress(method, in.data(), static_cast<uint32_t>(in.size()));
    EXPECT_TRUE(packed.has_value());
    const uint32_t bound = CodecBound(method, static_cast<uint32_t>(in.size()));
    EXPECT_LE(packed ? packed->size() : 0, bound);
    return packed ? *packed : Bytes{};
}

// Decompresses into a buffer of exactly `capacity` bytes (a guard byte past
// it must stay untouched) and answers what the codec produced.
std::optional<uint32_t> Unpack(uint32_t method, const Bytes& in, uint32_t capacity, Bytes& out) {
    out.assign(capacity + 1, 0xA5);
    auto produced =
        Decompress(method, in.data(), static_cast<uint32_t>(in.size()), out.data(), capacity);
    EXPECT_EQ(out[capacity], 0xA5) << "wrote past the destination";
    out.resize(produced ? *produced : 0);
    return produced;
}

// Inputs that exercise the ring: text, runs, noise, the initial spaces, and
// lengths around the group and ring boundaries.
std::vector<Bytes> Samples() {
    std::vector<Bytes> s;
    s.push_back({});
    s.push_back(B({'A'}));
    s.push_back(Bytes(3, ' '));
    s.push_back(Bytes(100000, 0));
    s.push_back(Bytes(5000, ' '));
    std::string text;
    const char* words[] = {"sword ", "shield ", "potion ", "dragon ", "\xC1\xFA ", "quest\r\n"};
    std::mt19937 rng(7);
    while (text.size() < 300000) {
        text += words[rng() % 6];
    }
    s.emplace_back(text.begin(), text.end());
    for (uint32_t n : {17u, 18u, 19u, 4095u, 4096u, 4097u, 70000u}) {
        Bytes r(n);
        for (auto& b : r) {
            b = static_cast<uint8_t>(rng() % 4);  // few symbols: many matches
        }
        s.push_back(r);
    }
    Bytes noise(1 << 20);
    for (auto& b : noise) {
        b = static_cast<uint8_t>(rng());
    }
    s.push_back(noise);
    return s;
}

TEST(Lzss, DecodesTheFormatByHand) {
    EXPECT_EQ(Decode(B({0x01, 0x41})), "A");          // a literal; the group then ends
    EXPECT_EQ(Decode(B({0x00, 0x00, 0x00})), "   ");  // position 0 of the initial spaces
    // A literal at 4,078, then a reference to 4,078 of length 4 overlapping
    // the bytes it produces.
    EXPECT_EQ(Decode(B({0x01, 0x41, 0xEE, 0xF1})), "AAAAA");
    EXPECT_EQ(Decode({}), "");
    // Input ending inside a reference, or after a flag byte, ends the output.
    EXPECT_EQ(Decode(B({0x01, 0x41, 0xEE})), "A");
    EXPECT_EQ(Decode(B({0x03, 0x41, 0x42, 0x00})), "AB");
    // Eight items per flag byte, then a new flag byte.
    EXPECT_EQ(Decode(B({0xFF, '1', '2', '3', '4', '5', '6', '7', '8', 0x01, '9'})), "123456789");
    // Position and length take 12 and 4 bits: 0xF0 in b1 is position
    // 0xF00 + b0, 0x0F the longest reference (18 bytes).
    EXPECT_EQ(Decode(B({0x00, 0xED, 0xFF})), std::string(18, ' '));
}

TEST(Lzss, DecoderStopsAtTheDestinationsEnd) {
    Bytes five = B({0x01, 0x41, 0xEE, 0xF1});
    std::vector<uint8_t> out(8, 0xA5);
    uint32_t n = 0;
    EXPECT_EQ(LzssDecode(five.data(), 4, out.data(), 4, &n), kLzssOutputOverrun);
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(out[4], 0xA5);
    EXPECT_EQ(LzssDecode(five.data(), 4, out.data(), 5, &n), 1);
    EXPECT_EQ(n, 5u);
    EXPECT_EQ(LzssDecode(B({0x01, 0x41}).data(), 2, out.data(), 0, &n), kLzssOutputOverrun);

    platform::ScriptedMessageBoxes boxes;
    Bytes got;
    EXPECT_FALSE(Unpack(kMethodLzss, five, 3, got));
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.asked()[0].text, "lzss decompression failed: -1\n");
}

TEST(Lzss, RoundTripsAndCompressesWhatRepeats) {
    for (const Bytes& in : Samples()) {
        Bytes packed = Pack(kMethodLzss, in);
        Bytes back;
        ASSERT_TRUE(Unpack(kMethodLzss, packed, static_cast<uint32_t>(in.size()), back))
            << in.size();
        ASSERT_EQ(back, in) << "size " << in.size();
        EXPECT_LE(in.size(), MaxDecodedSize(kMethodLzss, static_cast<uint32_t>(packed.size())));
    }
    EXPECT_EQ(Pack(kMethodLzss, B({'A'})), B({0x01, 0x41}));
    EXPECT_LT(Pack(kMethodLzss, Bytes(100000, 0)).size(), 100000u / 8);
}

TEST(Lzss, EncoderStopsAtTheDestinationsEnd) {
    Bytes noise(1000);
    std::mt19937 rng(1);
    for (auto& b : noise) {
        b = static_cast<uint8_t>(rng());
    }
    Bytes out(500 + 1, 0xA5);
    uint32_t n = 0;
    EXPECT_EQ(LzssEncode(noise.data(), 1000, out.data(), 500, &n), kLzssOutputOverrun);
    EXPECT_LE(n, 500u);
    EXPECT_EQ(out[500], 0xA5);
}

TEST(Lzss, TheDensestStreamStaysWithinTheDecodedSizeLimit) {
    // Groups of eight longest references: 17 bytes give 144.
    Bytes dense;
    for (int g = 0; g < 100; ++g) {
        dense.push_back(0);
        for (int i = 0; i < 8; ++i) {
            dense.push_back(0);
            dense.push_back(0x0F);
        }
    }
    Bytes out;
    ASSERT_TRUE(Unpack(kMethodLzss, dense, 1 << 20, out));
    EXPECT_EQ(out.size(), 14400u);
    EXPECT_LE(out.size(), MaxDecodedSize(kMethodLzss, static_cast<uint32_t>(dense.size())));
}

TEST(Lzo, RoundTripsThroughTheDispatcher) {
    for (const Bytes& in : Samples()) {
        Bytes packed = Pack(kMethodLzo, in);
        Bytes back;
        ASSERT_TRUE(Unpack(kMethodLzo, packed, static_cast<uint32_t>(in.size()), back))
            << in.size();
        ASSERT_EQ(back, in);
        EXPECT_LE(in.size(), MaxDecodedSize(kMethodLzo, static_cast<uint32_t>(packed.size())));
    }
    // Long runs are LZO's densest case; the limit must still admit them.
    Bytes zeros(8u << 20, 0);
    Bytes packed = Pack(kMethodLzo, zeros);
    EXPECT_LE(zeros.size(), MaxDecodedSize(kMethodLzo, static_cast<uint32_t>(packed.size())));
}

TEST(Lzo, FailuresAreReportedWithTheLibrarysCode) {
    Bytes text(10000);
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<uint8_t>("abcabd"[i % 6]);
    }
    Bytes packed = Pack(kMethodLzo, text);
    platform::ScriptedMessageBoxes boxes;
    Bytes out;
    EXPECT_FALSE(Unpack(kMethodLzo, packed, 9999, out));  // one byte short
    Bytes damaged(packed.begin(), packed.begin() + static_cast<long>(packed.size() / 2));
    EXPECT_FALSE(Unpack(kMethodLzo, damaged, 10000, out));
    ASSERT_EQ(boxes.count(), 2u);
    EXPECT_EQ(boxes.asked()[0].text, "MiniLzo decompression failed: -5\n");  // output overrun
    EXPECT_EQ(boxes.asked()[1].text.rfind("MiniLzo decompression failed: -", 0), 0u);

    // Compression into less than the worst case is refused before it starts.
    Bytes small(100);
    CodecRequest r;
    r.method = kMethodLzo;
    r.compress = 1;
    r.source = text.data();
    r.sourceLength = static_cast<uint32_t>(text.size());
    r.destination = small.data();
    r.destinationCapacity = static_cast<uint32_t>(small.size());
    ProcessCodecRequest(r);
    EXPECT_EQ(r.ok, 0);
    EXPECT_EQ(boxes.asked().back().text, "MiniLzo compression failed: -5\n");
}

TEST(Codec, StoredMovesNothingAndUnknownMethodsFailSilently) {
    platform::ScriptedMessageBoxes boxes;
    Bytes in = B({1, 2, 3});
    Bytes out(3, 0);
    CodecRequest r;
    r.method = kMethodStored;
    r.source = in.data();
    r.sourceLength = 3;
    r.destination = out.data();
    r.destinationCapacity = 3;
    ProcessCodecRequest(r);
    EXPECT_EQ(r.ok, 1);
    EXPECT_EQ(r.destinationLength, 3u);
    EXPECT_EQ(out, Bytes(3, 0));
    for (uint32_t method : {0u, 3u, 5u, 0xFFFFu}) {
        r.method = method;
        r.ok = 0;
        ProcessCodecRequest(r);
        EXPECT_EQ(r.ok, 0);
        EXPECT_EQ(CodecBound(method, 10), 0u);
        EXPECT_EQ(MaxDecodedSize(method, 10), 0u);
    }
    EXPECT_EQ(boxes.count(), 0u);
}

}  // namespace
