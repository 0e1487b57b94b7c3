#pragma once

#include <windows.h>

#include "platform/FileSystem.h"

namespace zwf::win32 {

// How an entry counts, from its attributes and (for a reparse point) its reparse tag.
// Symbolic links and junctions are name surrogates: they lead elsewhere and are never entered
// or catalogued. Other reparse points (deduplicated or cloud files) hold their own data and
// count as ordinary files and folders. No reparse point has the tag 0: a tag of 0, or one that
// could not be read, is taken for a link (Wine reports Unix symbolic links so).
inline EntryKind KindOfEntry(DWORD attributes, DWORD reparseTag) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && (reparseTag == 0 || IsReparseTagNameSurrogate(reparseTag)))
        return EntryKind::Other;
    if (attributes & FILE_ATTRIBUTE_DEVICE)
        return EntryKind::Other;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder : EntryKind::File;
}

}  // namespace zwf::win32
