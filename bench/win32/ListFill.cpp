// How long the Win32 window is held while a list box is filled with N lines ("s0000123.bin (37)"):
// through SetLines, and line by line as before (Empty, then AppendLine for each) for at most the
// first 2,000 lines, which under Wine already take seconds.
//   ListFill.exe [LINES]   (default 200,000; under Wine: bench/list_fill_wine.sh)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/Layout.h"
#include "app/Texts.h"
#include "platform/win32/Win32Window.h"

int main(int argc, char* argv[]) {
    using Clock = std::chrono::steady_clock;
    const long count = argc > 1 ? std::atol(argv[1]) : 200000;
    auto window = zwf::MakeWin32Window(zwf::texts::kWindowTitle, zwf::kControls);
    if (!window)
        return 1;
    zwf::TextLines lines;
    char line[64];
    for (long i = 0; i < count; ++i) {
        std::snprintf(line, sizeof line, "s%07ld.bin (%ld)", i, 1 + i % 64);
        lines.Append(line);
    }
    auto time = [](auto fill) {
        const Clock::time_point start = Clock::now();
        fill();
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    const int list = zwf::ctl::kAllFilesList;
    const double bulk = time([&] { window->SetLines(list, lines); });
    const int shown = window->LineCount(list);
    const std::size_t few = std::min<std::size_t>(lines.Size(), 2000);
    const double oneByOne = time([&] {
        window->Empty(list);
        for (std::size_t i = 0; i < few; ++i)
            window->AppendLine(list, lines[i]);
    });
    std::printf("%ld lines (%d shown): SetLines %.0f ms; line by line, the first %zu: %.0f ms\n", count, shown, bulk,
                few, oneByOne);
    window->Close();
    return shown == count ? 0 : 1;
}
