# Sourced by the Windows scripts. Prints win32 where this machine can start the 32-bit Wine
# loader, else win64: the 32-bit Wine is not installed (it cannot always be: its i386 libraries
# may lag behind the amd64 ones on a mirror), or the kernel runs no 32-bit programs.
zwf_wine_arch() {
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo win32; else echo win64; fi
}
# Why zwf_wine_arch says win64, in a few words.
zwf_wine_why_64() {
    if [ ! -x /usr/lib/wine/wine ]; then
        echo "the 32-bit Wine (wine32:i386) is not installed"
    else
        echo "this machine runs no 32-bit programs"
    fi
}
