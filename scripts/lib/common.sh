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
