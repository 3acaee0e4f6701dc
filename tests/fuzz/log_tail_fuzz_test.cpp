#include "text/text_tail.h"

#include <algorithm>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "fuzz/random_input.h"
#include "support/temp_folder.h"
#include "text/text_file.h"

namespace {

constexpr std::size_t kTail = 20000;
// How much the tail reader takes from the file at a time, and how many bytes before the end
// of the text it keeps.
constexpr std::size_t kPiece = 1 << 20;
constexpr std::size_t kWindow = 2 * kTail;

// A length near one of the places where the reader changes what it does: the kept tail and
// window, a read piece or two.
std::size_t EdgeLength(RandomInput& random) {
    const std::size_t centres[] = {0, kTail, kWindow, kPiece, kPiece + kWindow, 2 * kPiece};
    const std::size_t centre = centres[random.Below(0, std::size(centres) - 1)];
    const std::size_t spread = random.OneIn(2) ? 3 : 300;
    return centre + random.Below(0, 2 * spread) - std::min(centre, spread);
}

// A CR followed by an LF, a CR or another byte, from the given place on.
void PutCarriageReturn(RandomInput& random, std::string& bytes, std::size_t at) {
    const char* const pairs[] = {"\r\n", "\r\r", "\ra"};
    if (at + 2 <= bytes.size()) bytes.replace(at, 2, pairs[random.Below(0, 2)]);
}

// Log-like bytes with CR LF and lone CR and LF; CRs at read-piece and buffer boundaries,
// where the kept window starts and right before the end of the text; now and then a NUL or
// a Ctrl-Z (text mode's end of file) somewhere, often near an edge.
std::string LogBytes(RandomInput& random) {
    std::string bytes = random.Text(EdgeLength(random), "abc \r\n\n\r\n");
    for (std::size_t boundary = 512; boundary < bytes.size(); boundary *= 2) {
        if (random.OneIn(2)) PutCarriageReturn(random, bytes, boundary - 1);
    }
    for (const char end : {'\0', '\x1A'}) {
        if (bytes.empty() || !random.OneIn(3)) continue;
        const std::size_t at = random.OneIn(2) ? random.Below(0, bytes.size() - 1)
                                               : std::min(bytes.size() - 1, EdgeLength(random));
        bytes[at] = end;
    }
    const std::size_t textEnd =
        std::min(bytes.find_first_of(std::string("\0\x1A", 2)), bytes.size());
    if (textEnd > kWindow && random.OneIn(2)) {
        PutCarriageReturn(random, bytes, textEnd - kWindow - 1);
    }
    if (textEnd > 0 && random.OneIn(3)) bytes[textEnd - 1] = '\r';
    return bytes;
}

std::string Reference(const std::filesystem::path& path) {
    std::string text = ReadTextFile(path);
    text.resize(std::min(text.size(), text.find('\0')));
    return text.size() > kTail ? text.substr(text.size() - kTail) : text;
}

}  // namespace

TEST(LogTailFuzz, MatchesTheWholeFileReadCutAtItsFirstNul) {
    RandomInput random(20000);
    TempFolder folder;
    const auto path = folder / L"log.txt";
    for (int round = 0; round < 300; ++round) {
        const std::string bytes = LogBytes(random);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        const std::string tail = ReadTextFileTail(path, kTail);
        const std::string expected = Reference(path);
        const std::string what = "round " + std::to_string(round) + ", " +
                                 std::to_string(bytes.size()) + " bytes";
        ASSERT_EQ(tail.size(), expected.size()) << what;
        ASSERT_TRUE(tail == expected) << what;
    }
}
