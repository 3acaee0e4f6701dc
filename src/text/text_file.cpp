#include "text/text_file.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <new>
#include <string_view>

#include <windows.h>

#include "text/win_handles.h"

std::string ReadTextFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::in | std::ios::ate);
    if (!file) return {};
    const std::streamoff size = file.tellg();
    if (size <= 0) return {};
    std::string text;
    // A size that the string cannot hold gives "", as does one that memory cannot: on i686 a
    // cast to size_t would cut a size of 4 GiB or more to its low 32 bits.
    if (static_cast<std::uintmax_t>(size) > text.max_size()) return {};
    try {
        text.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return {};
    }
    file.seekg(0);
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    // Text mode delivers fewer characters than the byte size (each CR LF arrives as LF).
    text.resize(static_cast<size_t>(file.gcount()));
    return text;
}

bool WriteTextFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::out | std::ios::trunc);
    if (!file) return false;
    file.write(text.c_str(), static_cast<std::streamsize>(std::strlen(text.c_str())));
    // A short text stays in the stream's buffer until the close writes it, so only the close
    // tells whether it reached the file.
    file.close();
    return !file.fail();
}

namespace {

// A new file in the target's folder, made here so that no file or link of that name can be
// there before; its path is empty when none could be made.
UniqueHandle CreateReplacement(const std::filesystem::path& target,
                               std::filesystem::path& replacement) {
    const std::wstring stem = L"~" + target.filename().wstring() + L"." +
                              std::to_wstring(GetCurrentProcessId()) + L".";
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate =
            target.parent_path() / (stem + std::to_wstring(attempt) + L".tmp");
        UniqueHandle file{CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr)};
        if (file) {
            replacement = candidate;
            return file;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    replacement.clear();
    return {};
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// The text in pieces of about 64 KiB, each LF written as CR LF.
bool WriteWithCrLf(HANDLE file, const std::string& text) {
    constexpr std::size_t kPieceBytes = 64 * 1024;
    std::string piece;
    piece.reserve(kPieceBytes + 2);
    for (const char c : text) {
        if (c == '\n') piece += '\r';
        piece += c;
        if (piece.size() >= kPieceBytes) {
            if (!WriteAll(file, piece)) return false;
            piece.clear();
        }
    }
    return piece.empty() || WriteAll(file, piece);
}

}  // namespace

bool ReplaceTextFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::path replacement;
    bool written = false;
    {
        const UniqueHandle file = CreateReplacement(path, replacement);
        if (!file) return false;
        written = WriteWithCrLf(file.get(), text) && FlushFileBuffers(file.get());
    }
    if (written && MoveFileExW(replacement.c_str(), path.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    DeleteFileW(replacement.c_str());
    return false;
}
