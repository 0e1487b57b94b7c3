#pragma once

#include <functional>
#include <string>
#include <system_error>

#include "platform/FileSystem.h"

namespace zwf {

// What AsideFile::Status gives: the file now, with the change time it had before the move while
// nothing but the move changed it.
FileStatus MovedStatus(FileStatus now, const FileStatus& beforeMove);

// A name for a file moved aside that nobody can guess: 128 random bits, behind a dot.
std::string PrivateAsideName();

// The name a file that is put back tries on its attempt-th try: the old name itself first, then
// name + AsideFile::kRescueSuffix, then that with "-2", "-3" and so on. The old name is cut where
// needed (never inside a UTF-8 character) so the result stays within 255 bytes.
std::string PutBackName(const std::string& name, int attempt);

// Puts a moved file back: tries the old name, then the rescue names, each with tryName (a rename
// that never replaces, giving std::errc::file_exists for a name taken), and returns the name it
// took. "" with error set when a try fails otherwise, or every name is taken.
std::string PutBackUnderFreeName(const std::string& name,
                                 const std::function<std::error_code(const std::string&)>& tryName,
                                 std::error_code& error);

}  // namespace zwf
