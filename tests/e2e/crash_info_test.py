#!/usr/bin/env python3
"""scripts/crash-info on the dumps that the crash report tests leave in DUMPS: the faulting
function and line are the ones that crashed, with the debug information in the module, in
a debug file beside a stripped copy, or in a zip of them; symbols of another build are not
used; broken input ends in one line on stderr and exit code 2.

Usage: crash_info_test.py DUMPS CRASH_HOST CRASH_MODULE OBJCOPY
"""
import os
import random
import re
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CRASH_INFO = os.path.join(REPO, "scripts", "crash-info")
HOST_SOURCE = os.path.join(REPO, "tests", "fixtures", "crash", "crash_host.cpp")
KINDS_SOURCE = os.path.join(REPO, "tests", "fixtures", "crash", "crash_kinds.h")
MODULE_SOURCE = os.path.join(REPO, "tests", "fixtures", "crash", "crash_module.cpp")
DUMPS, CRASH_HOST, CRASH_MODULE, OBJCOPY = sys.argv[1:5]
# The 32-bit entry point is a stdcall function: its symbol carries the size of its arguments.
WINMAIN = r"wWinMain(@16)?"


def read_bytes(path):
    with open(path, "rb") as file:
        return file.read()


def write_bytes(path, data):
    with open(path, "wb") as file:
        file.write(data)


def source_lines(source):
    return read_bytes(source).decode("utf-8").split("\n")


def line_of(source, after, text):
    """The number of the first line holding text after the line holding after."""
    lines = source_lines(source)
    start = next(i for i, line in enumerate(lines) if after in line)
    return next(i for i in range(start, len(lines)) if text in lines[i]) + 1


def lines_of_function(source, header):
    """The numbers of the lines from the function's header to its closing brace."""
    lines = source_lines(source)
    start = next(i for i, line in enumerate(lines) if header in line)
    end = next(i for i in range(start, len(lines)) if lines[i] == "}")
    return range(start + 1, end + 2)


# The line of the host's entry point that crashes the first thread the way it is asked to.
CRASH_CALL = line_of(HOST_SOURCE, "int WINAPI wWinMain", "crash_kinds::Crash(kind);")


def dump(name):
    path = os.path.join(DUMPS, name + ".mdmp")
    if not os.path.exists(path):
        raise AssertionError(f"the crash report test {name} left no dump at {path}")
    return path


def crash_info(*arguments):
    return subprocess.run([CRASH_INFO, *arguments], capture_output=True, text=True, timeout=300)


def pe_timestamp(path):
    data = read_bytes(path)
    header, = struct.unpack_from("<I", data, 0x3C)
    return struct.unpack_from("<I", data, header + 8)[0]


def split_debug_information(exe, folder, stamp):
    """A stripped copy of exe and its debug file in folder, with the PE timestamp stamp."""
    environment = dict(os.environ, SOURCE_DATE_EPOCH=str(stamp))
    name = os.path.splitext(os.path.basename(exe))[0]
    subprocess.run([OBJCOPY, "--only-keep-debug", exe, os.path.join(folder, name + ".debug")],
                   check=True, env=environment)
    subprocess.run([OBJCOPY, "--strip-all", exe, os.path.join(folder, name + ".exe")],
                   check=True, env=environment)
    subprocess.run([OBJCOPY, f"--add-gnu-debuglink={name}.debug", name + ".exe"], cwd=folder,
                   check=True, env=environment)


def faulting_function(output):
    match = re.search(r"^Faulting function: (\S+) at (\S+):(\d+)", output, re.M)
    return (match.group(1), os.path.basename(match.group(2)), int(match.group(3))) if match else None


class CrashedWhereItCrashed(unittest.TestCase):
    def test_crashes_in_the_hosts_own_code_and_in_a_fixture_dll(self):
        write_line = line_of(KINDS_SOURCE, "void WriteToNull()", "*target = 1;")
        with tempfile.TemporaryDirectory() as symbols:
            # The culprit DLL was loaded from a folder that is gone; its copy holds its DWARF.
            module_copy = os.path.join(symbols, "RTSSHooks.dll")
            write_bytes(module_copy, read_bytes(CRASH_MODULE))
            cases = [
                # dump, symbols, exception line, module, function, file, line
                ("WriteAccessViolationOnFirstThread", None,
                 r"0xc0000005 access violation: write at address 0x0+$", "crash_host.exe",
                 "crash_kinds::WriteToNull()", "crash_kinds.h", write_line),
                ("AccessViolationInCulpritDll", symbols,
                 r"0xc0000005 access violation: write at address 0x0+$", "RTSSHooks.dll",
                 "CrashHere", "crash_module.cpp",
                 line_of(MODULE_SOURCE, "void CrashHere()", "*target = 1;")),
            ]
            for name, given, exception, module, function, file, line in cases:
                with self.subTest(name):
                    result = crash_info(dump(name), *([given] if given else []))
                    self.assertEqual(result.returncode, 0, result.stderr)
                    self.assertRegex(result.stdout, re.compile(r"^Exception: " + exception, re.M))
                    self.assertRegex(result.stdout, re.compile(rf"^Faulting module: {re.escape(module)} \+ 0x", re.M))
                    self.assertEqual(faulting_function(result.stdout), (function, file, line),
                                     result.stdout)
                    # The stack goes on past the fault to the host's entry point.
                    self.assertRegex(result.stdout, WINMAIN + " at ")

    def test_stack_overflow_names_the_recursion_and_who_started_it(self):
        result = crash_info(dump("StackOverflowOnFirstThread"))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertRegex(result.stdout, re.compile(r"^Exception: 0xc00000fd stack overflow$", re.M))
        function, file, line = faulting_function(result.stdout)
        self.assertEqual((function, file), ("crash_kinds::Recurse(int)", "crash_kinds.h"))
        self.assertIn(line, lines_of_function(KINDS_SOURCE, "int Recurse(int depth)"))
        self.assertRegex(result.stdout, WINMAIN + rf" at \S*crash_host\.cpp:{CRASH_CALL}\b")

    def test_abort_shows_the_caller_of_abort_on_the_stack(self):
        result = crash_info(dump("AbortOnFirstThread"))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertRegex(result.stdout,
                         re.compile(r"^Exception: 0x40000015 fatal application exit \(abort\)$", re.M))
        self.assertRegex(result.stdout, WINMAIN + rf" at \S*crash_host\.cpp:{CRASH_CALL}\b")

    def test_stripped_host_with_its_debug_file_in_a_zip(self):
        stamp = pe_timestamp(CRASH_HOST)
        with tempfile.TemporaryDirectory() as folder:
            split_debug_information(CRASH_HOST, folder, stamp)
            symbols = os.path.join(folder, "symbols.zip")
            with zipfile.ZipFile(symbols, "w") as archive:
                for name in ("crash_host.exe", "crash_host.debug"):
                    archive.write(os.path.join(folder, name), name)
            result = crash_info(dump("WriteAccessViolationOnFirstThread"), symbols)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(faulting_function(result.stdout),
                         ("crash_kinds::WriteToNull()", "crash_kinds.h",
                          line_of(KINDS_SOURCE, "void WriteToNull()", "*target = 1;")))
        self.assertRegex(result.stdout, r"crash_host\.exe  \(symbols: \S*crash_host\.debug\)")

    def test_symbols_of_another_build_are_not_used(self):
        # The culprit DLL's folder is gone; the only debug file at hand is of another build.
        with tempfile.TemporaryDirectory() as folder:
            split_debug_information(CRASH_MODULE, folder, pe_timestamp(CRASH_MODULE) + 1)
            os.rename(os.path.join(folder, "crash_module.debug"), os.path.join(folder, "RTSSHooks.debug"))
            result = crash_info(dump("AccessViolationInCulpritDll"), folder)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("Faulting function: unknown (symbols at hand are of another build)", result.stdout)


class BrokenInput(unittest.TestCase):
    def test_broken_files_give_one_line_and_exit_code_2(self):
        real = read_bytes(dump("WriteAccessViolationOnFirstThread"))
        header_streams, directory = struct.unpack_from("<II", real, 8)
        not_ours = bytearray(real)
        for index in range(header_streams):
            at = directory + index * 12
            if struct.unpack_from("<I", not_ours, at)[0] == 0x10001:
                struct.pack_into("<I", not_ours, at, 0x10005)
        cases = {
            "empty": b"",
            "random bytes": random.Random(16).randbytes(64 * 1024),
            "random bytes after the signature": b"MDMP\x93\xa7\0\0" + random.Random(7).randbytes(4096),
            "cut inside the header": real[:20],
            "cut in half": real[:len(real) // 2],
            "cut inside the stream directory": real[:directory + 20],
            "a minidump of another program": bytes(not_ours),
        }
        with tempfile.TemporaryDirectory() as folder:
            for name, data in cases.items():
                with self.subTest(name):
                    path = os.path.join(folder, "broken.mdmp")
                    write_bytes(path, data)
                    result = crash_info(path)
                    self.assertEqual(result.returncode, 2, result.stdout + result.stderr)
                    self.assertEqual(result.stdout, "")
                    self.assertRegex(result.stderr, r"^crash-info: [^\n]+\n$")
            result = crash_info(os.path.join(folder, "missing.mdmp"))
            self.assertEqual(result.returncode, 2)
            self.assertRegex(result.stderr, r"^crash-info: [^\n]+\n$")

    def test_damaged_fields_never_end_in_a_trace_back(self):
        real = read_bytes(dump("WriteAccessViolationOnFirstThread"))
        _, directory = struct.unpack_from("<II", real, 8)
        generator = random.Random(42)
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "damaged.mdmp")
            for round in range(8):
                damaged = bytearray(real)
                # Sizes and offsets of the directory and of the streams' own headers.
                for _ in range(4):
                    at = generator.randrange(directory, min(len(real), directory + 4096) - 4)
                    struct.pack_into("<I", damaged, at, generator.getrandbits(32))
                write_bytes(path, damaged)
                with self.subTest(round=round):
                    result = crash_info(path)
                    self.assertIn(result.returncode, (0, 2), result.stderr)
                    self.assertNotIn("Traceback", result.stderr)
                    if result.returncode == 2:
                        self.assertRegex(result.stderr, r"^crash-info: [^\n]+\n$")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
