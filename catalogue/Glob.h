#pragma once

#include <string_view>

namespace zwf {

// Whether text matches the shell pattern: '*' stands for any run of characters and '?' for any
// one, '[abc]', '[a-z]' and '[!abc]' for one of a set or not of it; neither crosses a separator,
// so "*.o" matches a name and "build/*.o" a path one folder deep. On POSIX '\' takes the next
// character literally; on Windows it is the separator and '/' counts as one too.
bool GlobMatches(std::string_view pattern, std::string_view text, char separator);

}  // namespace zwf
