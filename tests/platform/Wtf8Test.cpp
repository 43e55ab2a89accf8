#include "platform/Wtf8.h"

#include <gtest/gtest.h>

namespace kelvanter::testing {
namespace {

std::u16string units(std::initializer_list<char16_t> list) {
    return std::u16string(list);
}

TEST(Wtf8, EveryCodeUnitAloneRoundTripsUnpairedSurrogatesIncluded) {
    for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
        const std::u16string one(1, static_cast<char16_t>(unit));
        const std::string encoded = wtf8FromUtf16(one);
        ASSERT_EQ(utf16FromWtf8(encoded), one) << std::hex << static_cast<unsigned>(unit);
        ASSERT_EQ(encoded.size(), unit < 0x80 ? 1u : unit < 0x800 ? 2u : 3u) << std::hex << static_cast<unsigned>(unit);
    }
}

TEST(Wtf8, EverySurrogatePairIsOneFourByteCharacterAndRoundTrips) {
    for (char16_t high = 0xD800; high <= 0xDBFF; ++high) {
        for (char16_t low = 0xDC00; low <= 0xDFFF; ++low) {
            const std::u16string pair = units({high, low});
            const std::string encoded = wtf8FromUtf16(pair);
            ASSERT_EQ(encoded.size(), 4u);
            ASSERT_EQ(utf16FromWtf8(encoded), pair)
                << std::hex << static_cast<unsigned>(high) << " " << static_cast<unsigned>(low);
        }
    }
}

TEST(Wtf8, MixedSequencesWithStraySurrogatesRoundTrip) {
    const std::vector<std::u16string> sequences = {
        units({u'a', 0xD800}),
        units({0xDC00, u'a'}),
        units({0xDC00, 0xD800}),
        units({0xD800, 0xD800, 0xDC00}),
        units({0xD83D, 0xDE00, 0xDC00}),
        units({u'g', 0x00E4, 0xDFFF, u'.'}),
        units({0xDBFF}),
        units({}),
    };
    for (const std::u16string& sequence : sequences)
        EXPECT_EQ(utf16FromWtf8(wtf8FromUtf16(sequence)), sequence) << wtf8FromUtf16(sequence);
}

TEST(Wtf8, KnownEncodingsAndBytesThatAreNoWtf8) {
    EXPECT_EQ(wtf8FromUtf16(u"\u00e4"), "\xC3\xA4");
    EXPECT_EQ(wtf8FromUtf16(units({0xD83D, 0xDE00})), "\xF0\x9F\x98\x80");
    EXPECT_EQ(wtf8FromUtf16(units({0xD800})), "\xED\xA0\x80");
    // A byte that starts no sequence, an overlong form and a truncated one: each byte one U+FFFD.
    EXPECT_EQ(utf16FromWtf8("a\xE4z"), u"a\uFFFDz");
    EXPECT_EQ(utf16FromWtf8("\xC0\xAF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(utf16FromWtf8("\xE2\x82"), u"\uFFFD\uFFFD");
}

} // namespace
} // namespace kelvanter::testing
