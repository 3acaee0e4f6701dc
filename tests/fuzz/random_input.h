#pragma once
// Reproducible generated input for the hostile-input tests: every generator starts from a
// fixed seed, so a failing case is the same on every run and on every machine. Bounded
// values come straight from the engine, whose output the standard fixes, rather than from
// a distribution, whose algorithm each standard library chooses.
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

class RandomInput {
public:
    explicit RandomInput(std::uint32_t seed) : engine_(seed) {}

    // In [low, high], uniform but for a bias of at most span / 2^64, far below anything a
    // test here could notice.
    std::size_t Below(std::size_t low, std::size_t high) {
        const std::uint64_t upper = engine_();  // apart, so the two draws come in one order
        const std::uint64_t draw = (upper << 32) | engine_();
        return low + static_cast<std::size_t>(draw % (std::uint64_t{high} - low + 1));
    }
    bool OneIn(std::size_t n) { return Below(0, n - 1) == 0; }
    char Byte() { return static_cast<char>(Below(0, 255)); }

    // Bytes drawn from the alphabet, or any byte value when it is empty.
    std::string Text(std::size_t length, const std::string& alphabet = {}) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i) {
            text += alphabet.empty() ? Byte() : alphabet[Below(0, alphabet.size() - 1)];
        }
        return text;
    }

    // A few byte-level edits of the kind a damaged or hand-edited file shows: a flipped
    // byte, a NUL, a removed or a doubled stretch, a cut-off end.
    std::string Mutate(std::string text) {
        const std::size_t edits = Below(1, 4);
        for (std::size_t e = 0; e < edits && !text.empty(); ++e) {
            const std::size_t at = Below(0, text.size() - 1);
            switch (Below(0, 5)) {
            case 0: text[at] = Byte(); break;
            case 1: text[at] = '\0'; break;
            case 2: text.erase(at, Below(1, 8)); break;
            case 3: text.insert(at, text.substr(at, Below(1, 16))); break;
            case 4: text.resize(at); break;
            case 5: text.insert(at, Text(Below(1, 4), "\xC3\xA9\xED\xA0\x80\xF4\x90\x80\x80\xFF")); break;
            }
        }
        return text;
    }

private:
    std::mt19937 engine_;
};
