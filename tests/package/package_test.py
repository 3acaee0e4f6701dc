#!/usr/bin/env python3
"""Packages twice, from this checkout into two build folders, and checks what users receive:
the same bytes both times, small stripped executables that still pass the executable check,
and debug files that the executables' debug links name by file and checksum. Leaves the
first package unpacked in WORK/unpacked for the end-to-end tests of the packaged program.

Usage: package_test.py WORK
"""
import filecmp
import importlib.machinery
import importlib.util
import os
import shutil
import subprocess
import sys
import zipfile
import zlib

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SIZE_GOAL = 2 * 1024 * 1024
EXECUTABLES = {"sysprobe32": "32", "sysprobe64": "64"}

failures = []


def check(condition, message):
    print(("ok:   " if condition else "FAIL: ") + message, flush=True)
    if not condition:
        failures.append(message)


def package(work, name):
    result = subprocess.run([os.path.join(REPO, "scripts", "package"), "--no-setup",
                             "--build-root", os.path.join(work, "build-" + name),
                             "--dist", os.path.join(work, "dist-" + name)])
    if result.returncode != 0:
        sys.exit(f"FAIL: scripts/package failed in build-{name}")
    return os.path.join(work, "dist-" + name)


def load_package_script():
    """scripts/package as a module, for its reading of a build's CMake cache. Nothing is
    compiled into the source tree."""
    sys.dont_write_bytecode = True
    loader = importlib.machinery.SourceFileLoader("package", os.path.join(REPO, "scripts", "package"))
    module = importlib.util.module_from_spec(importlib.util.spec_from_loader("package", loader))
    loader.exec_module(module)
    return module


def read_bytes(path):
    with open(path, "rb") as file:
        return file.read()


def debug_link(objcopy, exe, scratch):
    """The file name and CRC-32 that the .gnu_debuglink section holds."""
    section = os.path.join(scratch, os.path.basename(exe) + ".debuglink")
    subprocess.run([objcopy, "--dump-section", f".gnu_debuglink={section}", exe, os.devnull],
                   check=False, capture_output=True)
    if not os.path.exists(section):
        return None, None
    data = read_bytes(section)
    name = data[:data.index(b"\0")].decode()
    return name, int.from_bytes(data[-4:], "little")


def main():
    work = os.path.abspath(sys.argv[1])
    first = package(work, "a")
    second = package(work, "b")

    names = sorted(os.listdir(first))
    check(names == sorted(os.listdir(second)), f"both runs write the same files: {names}")
    for name in names:
        check(filecmp.cmp(os.path.join(first, name), os.path.join(second, name), shallow=False),
              f"{name} is byte for byte the same from build folders build-a and build-b")

    unpacked = os.path.join(work, "unpacked")
    shutil.rmtree(unpacked, ignore_errors=True)
    for name in names:
        if name.endswith(".zip"):
            with zipfile.ZipFile(os.path.join(first, name)) as archive:
                archive.extractall(unpacked)
            # SHA256SUMS lists the zips beside the executables that they hold.
            shutil.copy(os.path.join(first, name), unpacked)
    sums = subprocess.run(["sha256sum", "--check", os.path.join(first, "SHA256SUMS")],
                          cwd=unpacked, capture_output=True, text=True)
    check(sums.returncode == 0, "SHA256SUMS matches the zips and the executables\n" + sums.stdout)

    cache_value = load_package_script().cache_value
    for stem, bits in EXECUTABLES.items():
        build = os.path.join(work, "build-a", f"win{bits}-release")
        objdump = cache_value(build, "CMAKE_OBJDUMP")
        objcopy = cache_value(build, "CMAKE_OBJCOPY")
        exe = os.path.join(unpacked, "tools", stem + ".exe")
        debug = os.path.join(unpacked, stem + ".debug")
        size = os.path.getsize(exe)
        check(size <= SIZE_GOAL, f"{stem}.exe is {size} bytes, at most {SIZE_GOAL}")
        sections = subprocess.run([objdump, "-h", exe], capture_output=True, text=True).stdout
        check(".debug_" not in sections, f"{stem}.exe has no .debug_* section left")
        checked = subprocess.run([os.path.join(REPO, "tests", "checks", "check_executable"),
                                  objdump, exe, bits], capture_output=True, text=True)
        check(checked.returncode == 0, f"{stem}.exe passes the executable check: "
              + checked.stdout.strip())
        image = read_bytes(exe)
        check(b'level="requireAdministrator"' in image and b"Microsoft.Windows.Common-Controls" in image,
              f"{stem}.exe keeps its manifest")
        debug_sections = subprocess.run([objdump, "-h", debug], capture_output=True,
                                        text=True).stdout
        check(".debug_info" in debug_sections and ".debug_line" in debug_sections,
              f"{stem}.debug holds the debug information")
        name, crc = debug_link(objcopy, exe, work)
        actual = zlib.crc32(read_bytes(debug))
        check(name == stem + ".debug" and crc == actual,
              f"{stem}.exe links to {name} with CRC {crc and hex(crc)}; {stem}.debug has {hex(actual)}")

    if failures:
        print(f"{len(failures)} check(s) failed")
        sys.exit(1)


if __name__ == "__main__":
    main()
