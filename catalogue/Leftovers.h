#pragma once

#include <string>
#include <system_error>

#include "platform/FileSystem.h"

namespace zwf {

// What became of a file found under one of the program's private names, left there by a step
// that was interrupted (a process killed, a machine switched off, a disk pulled).
struct Leftover {
    enum class Outcome {
        Restored,  // back under its old name
        Beside,    // its old name was taken meanwhile: it lies beside it as NAME.zwillingsfeger-gerettet
        Removed,   // its old name holds the same bytes again (a link was made, a copy saved there): it went
        Unknown,   // the name does not tell where it came from: left where it is, never catalogued
        Failed,    // it could not be put back (error says why): left where it is, never catalogued
        Gone,      // nothing left to do: taken care of since it was listed, or a note of a step that ended
    };
    Outcome outcome = Outcome::Unknown;
    std::string folder;       // in catalogue form
    std::string privateName;  // as found
    std::string name;         // its old name, where known
    std::string now;          // the name it has now: name, or the one beside it
    std::error_code error;
};

// Finishes or undoes the step that left privateName (a file moved aside or its note,
// IsPrivateName) inside folder, whose path in catalogue form is folderPath. A file that its old
// name tells is put back under that name, or beside it when the name is taken, unless the file
// under that name now has the same bytes: then the one aside is a proven copy and is removed.
Leftover RecoverLeftover(FileSystem& fileSystem, FolderHandle& folder, const std::string& folderPath,
                         const std::string& privateName);

}  // namespace zwf
