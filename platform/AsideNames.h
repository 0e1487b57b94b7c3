#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/FileSystem.h"

namespace zwf {

// What AsideFile::Status gives: the file now, with the change time it had before the move while
// nothing but the move changed it.
FileStatus MovedStatus(FileStatus now, const FileStatus& beforeMove);

// The private name of a file moved aside from name: ".zwf-", 128 random bits in 32 hex digits,
// "-" and the old name itself, so that the folder alone tells where the file came from. Where
// that would pass 255 bytes, "~" and the old name cut to fit (never inside a UTF-8 character)
// take the place of "-" and the name, and the full old name goes into a note beside it
// (NoteName) before the file is moved.
std::string PrivateAsideName(const std::string& name);
// The private name of a file moved aside from name under the key given (32 hex digits).
std::string AsideNameFor(std::string_view key, const std::string& name);
// Whether the old name fits into its private name, or needs a note.
bool FitsAsideName(const std::string& name);

// What a private name tells: its random key, and the old name where the name carries it whole.
struct AsideName {
    std::string key;      // the 32 hex digits
    std::string oldName;  // "" when the name does not carry it (a cut name, the form of older versions)
    bool cut = false;     // the old name is in the note NoteName(key)
};
// Parses a file moved aside: nothing for any other name, a note included.
std::optional<AsideName> ParseAsideName(std::string_view name);
// The note that holds the full old name of the file moved aside under a cut name with key.
std::string NoteName(std::string_view key);
// Whether name is one the program makes for its own use: a file moved aside or a note. No such
// name is ever catalogued.
bool IsPrivateName(std::string_view name);

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
