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
// How much the tail reader takes from the file at a time, and the length at which it trims.
constexpr std::size_t kPiece = 64 * 1024;
constexpr std::size_t kTrim = 2 * kTail + kPiece;

// A length near one of the places where the reader changes what it does: the kept tail,
// a read piece or two, the trimming threshold.
std::size_t EdgeLength(RandomInput& random) {
    const std::size_t centres[] = {0, kTail, kPiece, 2 * kPiece, kTrim, kTrim + kPiece};
    const std::size_t centre = centres[random.Below(0, std::size(centres) - 1)];
    const std::size_t spread = random.OneIn(2) ? 3 : 300;
    return centre + random.Below(0, 2 * spread) - std::min(centre, spread);
}

// Log-like bytes with CR LF and lone CR and LF, CR LF pairs straddling read-piece and
// buffer boundaries, and now and then a NUL somewhere, often near an edge.
std::string LogBytes(RandomInput& random) {
    std::string bytes = random.Text(EdgeLength(random), "abc \r\n\n\r\n");
    for (std::size_t boundary = 512; boundary < bytes.size(); boundary *= 2) {
        if (random.OneIn(2)) bytes.replace(boundary - 1, 2, "\r\n");
    }
    if (!bytes.empty() && random.OneIn(3)) {
        const std::size_t at = random.OneIn(2) ? random.Below(0, bytes.size() - 1)
                                               : std::min(bytes.size() - 1, EdgeLength(random));
        bytes[at] = '\0';
    }
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
        ASSERT_EQ(tail.size(), expected.size()) << "round " << round << ", " << bytes.size() << " bytes";
        ASSERT_TRUE(tail == expected) << "round " << round << ", " << bytes.size() << " bytes";
    }
}
