# Shell functions shared by the scripts and cmake/wine-run. Source it; it runs nothing.

# The Wine loaders themselves. The "wine" wrapper takes the 32-bit loader whenever the
# 32-bit Wine is installed, and that loader cannot start 64-bit programs in a 64-bit
# prefix (under emulation it does not even get that far), so every program is started
# with the loader of its own bitness.
wine64_loader() {
    if [ -x /usr/lib/wine/wine64 ]; then echo /usr/lib/wine/wine64
    else command -v wine64 || command -v wine; fi
}
wine32_loader() {
    if [ -x /usr/lib/wine/wine ]; then echo /usr/lib/wine/wine; else command -v wine; fi
}

# "014c" for a 32-bit x86 PE file, "8664" for x86-64; nothing for anything else.
pe_machine() {
    local header
    header="$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')" || return 0
    [ -n "$header" ] || return 0
    od -An -tx2 -j$((header + 4)) -N2 "$1" 2>/dev/null | tr -d ' '
}

# The loader for PROGRAM: the 32-bit one for a 32-bit executable, else the 64-bit one
# (Wine's own programs named without a path, such as cmd.exe, run 64-bit in our prefixes).
wine_loader_for() {
    if [ -f "$1" ] && [ "$(pe_machine "$1")" = 014c ]; then wine32_loader; else wine64_loader; fi
}

# Runs one program under Wine with the loader of its bitness. WINELOADER names that loader,
# as the wrapper would: Wine finds the loader of the other bitness beside it by the name.
run_wine() {
    local loader
    loader="$(wine_loader_for "$1")"
    WINELOADER="$loader" "$loader" "$@"
}

sysprobe_repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# The cache of things made once per machine: the third-party libraries and a prepared Wine
# prefix. The same place as cmake/mingw-common.cmake looks in; without a HOME (a bare
# environment) that is build/deps in the repository, which git ignores.
deps_dir() {
    local dir="${SYSPROBE_DEPS_DIR:-${HOME:+$HOME/.cache/vistora-sysprobe}}"
    echo "${dir:-$sysprobe_repo/build/deps}"
}

# Starts an X server of its own for the programs with windows, sets DISPLAY to it and
# xvfb_pid to its process. Xvfb picks a free display number itself, so parallel runs do
# not collide.
start_xvfb() {
    local display_file
    display_file="$(mktemp)"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
    export DISPLAY=":$(head -n1 "$display_file")"
    rm -f "$display_file"
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

wine32_installed() {
    dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'
}

# True when 32-bit x86 Linux programs, which wine32 is made of, run here, natively or
# through an emulator. Some kernels are built without them; there wine32 only fails, and
# with it every "wine" command. The test is a 93-byte i386 program that only calls exit(0).
runs_32bit_programs() {
    local probe status
    # In the build tree, not the temporary folder, which may be mounted without execution.
    mkdir -p "$sysprobe_repo/build"
    probe="$(mktemp "$sysprobe_repo/build/runs-32bit.XXXXXX")"
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
    # Executable for i386, entry 0x08048054, one program header right after this header.
    printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$probe"
    printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' >>"$probe"
    printf '\x00\x00\x00\x00' >>"$probe"
    # One loadable segment: the whole file at 0x08048000, readable and executable.
    printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$probe"
    printf '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$probe"
    # mov eax, 1 (exit); xor ebx, ebx; int 0x80
    printf '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >>"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null && status=0 || status=1
    rm -f "$probe"
    return $status
}

binfmt_misc=/proc/sys/fs/binfmt_misc
# The first 20 bytes of an i386 executable (the probe's, and Wine's 32-bit loader's).
i386_elf_header=7f454c4601010100000000000000000002000300

# True when the hex bytes of HEADER match the binfmt_misc MAGIC at OFFSET under MASK, as
# the kernel compares them.
binfmt_matches() {
    local header="$1" offset="$2" magic="$3" mask="$4" i byte want keep
    for ((i = 0; i < ${#magic}; i += 2)); do
        byte="${header:$((2 * offset + i)):2}"
        [ -n "$byte" ] || return 1
        want="${magic:i:2}"
        keep="${mask:i:2}"
        [ $((0x$byte & 0x${keep:-ff})) -eq $((0x$want & 0x${keep:-ff})) ] || return 1
    done
}

# Names the enabled binfmt_misc entry that hands 32-bit x86 programs to an emulator, if
# there is one. The kernel asks these entries before its own loader, so with one, 32-bit
# programs run emulated even where the kernel could run them itself: telling emulated
# from native takes this, not whether a 32-bit program runs.
x86_emulation_entry() {
    [ "$(cat "$binfmt_misc/status" 2>/dev/null)" = enabled ] || return 1
    local entry offset magic mask
    for entry in "$binfmt_misc"/*; do
        case "${entry##*/}" in register | status) continue ;; esac
        [ "$(head -n1 "$entry" 2>/dev/null)" = enabled ] || continue
        magic="$(sed -n 's/^magic //p' "$entry")"
        [ -n "$magic" ] || continue   # one that goes by file name extension
        offset="$(sed -n 's/^offset //p' "$entry")"
        mask="$(sed -n 's/^mask //p' "$entry")"
        if binfmt_matches "$i386_elf_header" "${offset:-0}" "$magic" "$mask"; then
            echo "${entry##*/}"
            return 0
        fi
    done
    return 1
}

# How 32-bit Windows programs run here: "native", "emulated", or "none" (no wine32, or a
# kernel that runs no 32-bit x86 programs at all).
x86_mode() {
    if ! wine32_installed; then echo none
    elif x86_emulation_entry >/dev/null; then echo emulated
    elif runs_32bit_programs; then echo native
    else echo none; fi
}

# qemu's user-mode emulator for i386, which scripts/setup unpacks into the cache.
x86_emulator() { echo "$(deps_dir)/qemu/qemu-i386"; }

# The binfmt_misc entry that makes 32-bit x86 programs run under qemu's emulator, with
# the magic and mask of qemu's own i386 entry. Flag F opens the emulator now, so that it
# also serves programs in other mount namespaces.
x86_emulator_entry_name=qemu-i386
register_x86_emulator() {
    local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    printf ':%s:M::%s:%s:%s:F' "$x86_emulator_entry_name" "$magic" "$mask" "$(x86_emulator)" |
        as_root tee "$binfmt_misc/register" >/dev/null
}
