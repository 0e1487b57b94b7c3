# Sourced by the Windows scripts. Prints win32 where this machine can start the 32-bit Wine
# loader, else win64 (a kernel built without 32-bit support runs only 64-bit programs).
zwf_wine_arch() {
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo win32; else echo win64; fi
}
