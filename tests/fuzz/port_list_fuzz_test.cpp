#include "firewall/rule_classification.h"

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fuzz/random_input.h"
#include "text/encoding.h"

namespace {

// A port number around the pairing ports, or far away, or beyond any port.
long Port(RandomInput& random) {
    switch (random.Below(0, 3)) {
    case 0: return static_cast<long>(random.Below(7880, 7893));
    case 1: return static_cast<long>(random.Below(0, 65535));
    default: return static_cast<long>(random.Below(0, 2147483647));
    }
}

bool Touches(long low, long high) {
    return (low <= 7884 && 7884 <= high) || (low <= 7889 && 7889 <= high);
}

// The parts of the text between the separators; a separator at the very end adds no part.
std::vector<std::wstring> Parts(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> parts;
    std::size_t begin = 0;
    for (std::size_t end = text.find(separator); end != std::wstring::npos;
         end = text.find(separator, begin)) {
        parts.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    if (begin < text.size()) parts.push_back(text.substr(begin));
    return parts;
}

// The leading decimal number of the text up to its first NUL, after blanks and one plus
// sign; 0 when there is none, the largest long when it is larger.
long LeadingNumber(const std::wstring& text) {
    const std::wstring blanks = L" \t\n\v\f\r";
    std::size_t at = 0;
    while (at < text.size() && blanks.find(text[at]) != std::wstring::npos) ++at;
    if (at < text.size() && text[at] == L'+') ++at;
    long long value = 0;
    for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at) {
        value = std::min<long long>(value * 10 + (text[at] - L'0'),
                                    std::numeric_limits<long>::max());
    }
    return static_cast<long>(value);
}

// Whether the list names a pairing port, worked out without the tool's stream reading.
bool ExpectedTouch(const std::wstring& list) {
    for (const std::wstring& piece : Parts(list, L',')) {
        std::vector<long> bounds;
        for (const std::wstring& bound : Parts(piece, L'-')) {
            bounds.push_back(LeadingNumber(bound));
        }
        if (bounds.size() == 1 && (bounds[0] == 7884 || bounds[0] == 7889)) return true;
        if (bounds.size() == 2 && Touches(bounds[0], bounds[1])) return true;
    }
    return false;
}

}  // namespace

// Lists of numbers and ranges whose answer the generator knows, mixed with pieces that name
// no port at all.
TEST(PortListFuzz, NamesThePairingPortsExactlyWhenAPieceDoes) {
    RandomInput random(7884);
    for (int round = 0; round < 3000; ++round) {
        std::wstring list;
        bool expected = false;
        for (std::size_t piece = random.Below(1, 6); piece > 0; --piece) {
            if (!list.empty()) list += L',';
            const long low = Port(random);
            switch (random.Below(0, 3)) {
            case 0:
                list += std::to_wstring(low);
                expected = expected || low == 7884 || low == 7889;
                break;
            case 1: {
                const long high = Port(random);
                list += std::to_wstring(low) + L'-' + std::to_wstring(high);
                expected = expected || Touches(low, high);
                break;
            }
            case 2: list += std::to_wstring(low) + L"-1-99999"; break;  // three bounds: no range
            default: list += Utf8ToWide(random.Text(random.Below(0, 5), "abc*\xC3\xA9 ")); break;
            }
        }
        ASSERT_EQ(PortsTouchPairing(list), expected) << WideToUtf8(list);
    }
}

TEST(PortListFuzz, AnyTextGetsTheAnswerWorkedOutApart) {
    RandomInput random(7889);
    for (int round = 0; round < 2000; ++round) {
        std::wstring list = Utf8ToWide(random.Text(random.Below(0, 40), "0123456789-, +x\t"));
        if (round % 500 == 0) list = std::wstring(1 << 20, L'9') + L"-" + std::wstring(1 << 20, L',');
        if (round % 500 == 1) list += std::wstring(3, L'\0') + L"7884";
        ASSERT_EQ(PortsTouchPairing(list), ExpectedTouch(list)) << WideToUtf8(list.substr(0, 80));
    }
    // A number too large for any port saturates instead of wrapping round to a pairing port.
    EXPECT_FALSE(PortsTouchPairing(L"4294975180"));  // 2^32 + 7884
    EXPECT_TRUE(PortsTouchPairing(L"7000-99999999999999999999"));
}
