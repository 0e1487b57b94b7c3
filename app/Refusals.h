#pragma once

#include <string_view>
#include <system_error>

namespace zwf {

// Why the file system refused to remove a copy or to give it a second name, in the user's words:
// the common reasons each in words of their own, any other as a plain refusal. linking: the
// system refused the second name (DeleteResult::NotLinkable), where "not permitted" may also mean
// a file system without hard links.
std::string_view WhyRefused(std::error_code error, bool linking = false);

}  // namespace zwf
