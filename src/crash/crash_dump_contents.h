#pragma once
// What a crash dump holds besides the process state: its file name and the two user
// streams. Fixed buffers only, for the crash path.
#include <cstddef>
#include <string>
#include <unordered_map>

#include <windows.h>

// Notes for whoever reads a dump, written into it as "key\nvalue\n" lines. Created empty
// before the entry point runs; nothing may add to it while a crash is being handled.
extern std::unordered_map<std::string, std::string> CrashAnnotations;

constexpr std::size_t kDumpPathCapacity = 1040;
constexpr std::size_t kAnnotationStreamCapacity = 512;
constexpr std::size_t kEnvironmentStreamCapacity = 256;
constexpr ULONG32 kAnnotationStreamType = 0x10000;
constexpr ULONG32 kEnvironmentStreamType = 0x10001;

using DumpPath = wchar_t[kDumpPathCapacity];
using AnnotationStream = char[kAnnotationStreamCapacity];
using EnvironmentStream = char[kEnvironmentStreamCapacity];

// directory "\" sysprobe64_2_8_42V_2021-05-02T14_03_09Z.mdmp (sysprobe32_ in the 32-bit
// build), into the zeroed path; cut at the buffer's end.
void FormatDumpPath(DumpPath& path, const wchar_t* directory, const SYSTEMTIME& utc);

// Each of these fills its zeroed stream and returns the size to declare: the text's length
// plus its terminating zero.
std::size_t BuildAnnotationStream(
    AnnotationStream& stream, const std::unordered_map<std::string, std::string>& annotations);
// "[steamusers]\n" and one line per Steam user of the current user (when that registry key
// can be read), then "[environment]\n" and the Windows version ("10", "8.1", ... or "?").
// The environment block is always whole: users are listed only as far as it still fits.
std::size_t BuildEnvironmentStream(EnvironmentStream& stream);
