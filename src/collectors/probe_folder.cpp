#include "collectors/probe_folder.h"

#include <windows.h>
#include <sddl.h>

#include "text/win_handles.h"

namespace {

namespace fs = std::filesystem;

bool IsElevated() {
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return false;
    const UniqueHandle token{opened};
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    return GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated;
}

// The string form of this process's user, "" when it cannot be had.
std::wstring UserSid() {
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return {};
    const UniqueHandle token{opened};
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    if (!size || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) {
        return {};
    }
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
        return {};
    }
    const UniqueLocalMemory<wchar_t> owned(text);
    return text;
}

// The crash handler names its dumps "sysprobe<bits>_<version>V_<time>Z.mdmp".
bool IsCrashDumpName(const std::wstring& name) {
    return name.size() > 13 && name.rfind(L"sysprobe", 0) == 0 &&
           name.compare(name.size() - 5, 5, L".mdmp") == 0;
}

// The entry itself, never what a link there points to.
UniqueHandle OpenAsItself(const fs::path& path, DWORD access) {
    return UniqueHandle{CreateFileW(path.c_str(), access | FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                    nullptr)};
}

std::wstring FinalPath(HANDLE handle) {
    wchar_t path[1024] = {};
    const DWORD length = GetFinalPathNameByHandleW(handle, path, 1024, FILE_NAME_NORMALIZED);
    return length && length < 1024 ? std::wstring(path, length) : std::wstring();
}

// A plain file of one name that lives in the folder: no link or junction, no hard link
// to a file elsewhere. Wine shows a Unix link to a file as the file it points to, so the
// path the opened entry resolves to must be the folder's own too.
bool IsPlainFileIn(HANDLE entry, const std::wstring& folderPath, const std::wstring& name) {
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(entry, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
        info.nNumberOfLinks != 1) {
        return false;
    }
    const std::wstring expected = folderPath + L"\\" + name;
    const std::wstring actual = FinalPath(entry);
    return !folderPath.empty() &&
           CompareStringOrdinal(actual.c_str(), static_cast<int>(actual.size()), expected.c_str(),
                                static_cast<int>(expected.size()), TRUE) == CSTR_EQUAL;
}

std::wstring FolderFinalPath(const fs::path& folder) {
    const UniqueHandle opened = OpenAsItself(folder, 0);
    return opened ? FinalPath(opened.get()) : std::wstring();
}

// Deletes the entry through the handle it was checked with.
bool DeleteOwnFile(const fs::path& folder, const std::wstring& folderPath,
                   const std::wstring& name) {
    const UniqueHandle entry = OpenAsItself(folder / name, DELETE);
    if (!entry || !IsPlainFileIn(entry.get(), folderPath, name)) return false;
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return SetFileInformationByHandle(entry.get(), FileDispositionInfo, &disposition,
                                      sizeof disposition);
}

bool IsOwnFile(const fs::path& folder, const std::wstring& folderPath, const std::wstring& name) {
    const UniqueHandle entry = OpenAsItself(folder / name, 0);
    return entry && IsPlainFileIn(entry.get(), folderPath, name);
}

}  // namespace

std::wstring ProbeFolderAccess() {
    // Protected, so that nothing is inherited from the temporary folder; full access for
    // the folder and everything made in it.
    if (IsElevated()) return L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
    const std::wstring user = UserSid();
    return user.empty() ? std::wstring() : L"D:P(A;OICI;FA;;;" + user + L")";
}

fs::path CreateProbeFolder() {
    const std::wstring access = ProbeFolderAccess();
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (access.empty() || !ConvertStringSecurityDescriptorToSecurityDescriptorW(
                              access.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
        return {};
    }
    const UniqueLocalMemory<void> owned(descriptor);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    wchar_t base[MAX_PATH + 1] = {};
    if (!GetTempPathW(MAX_PATH + 1, base)) return {};
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const fs::path folder =
            fs::path(base) / (L"sysprobe-deps-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(attempt));
        // Never an existing folder: one made by someone else has an access list of theirs.
        if (CreateDirectoryW(folder.c_str(), &attributes)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

bool IsProbeFile(const fs::path& folder, const std::wstring& name) {
    return IsOwnFile(folder, FolderFinalPath(folder), name);
}

ProbeFolderLeftovers RemoveProbeFolder(const fs::path& folder, const std::wstring& reportName,
                                       const fs::path& dumpFolder) {
    ProbeFolderLeftovers leftovers;
    const std::wstring folderPath = FolderFinalPath(folder);
    WIN32_FIND_DATAW entry = {};
    const fs::path pattern = folder / L"*";
    const UniqueFind search{FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry,
                                             FindExSearchNameMatch, nullptr, 0)};
    if (search) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            if (name == reportName && DeleteOwnFile(folder, folderPath, name)) continue;
            if (IsCrashDumpName(name) && IsOwnFile(folder, folderPath, name)) {
                const fs::path moved = dumpFolder / name;
                if (!dumpFolder.empty() &&
                    MoveFileExW((folder / name).c_str(), moved.c_str(),
                                MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH)) {
                    leftovers.movedDumps.push_back(moved);
                    continue;
                }
            }
            leftovers.keptNames.push_back(name);
        } while (FindNextFileW(search.get(), &entry));
    }
    RemoveDirectoryW(folder.c_str());
    return leftovers;
}
