#include <windows.h>
#include <shellapi.h>

#include <io.h>
#include <stdio.h>

#include "cli/Console.h"
#include "platform/win32/Utf16.h"

namespace zwf::cli {

bool StderrIsTerminal() { return ::_isatty(::_fileno(stderr)) != 0; }

std::vector<std::string> Utf8Arguments(int, char**) {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide && i < count; ++i)
        arguments.push_back(win32::Narrow(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

}  // namespace zwf::cli
