#pragma once

#include <cstddef>
#include <span>
#include <system_error>

#include "platform/FileSystem.h"

namespace zwf::detect {

// Reads until buffer is full, the file ends or a read fails (error set). A file may deliver
// fewer bytes per read than asked for, so one Read is never taken as the whole answer.
std::size_t ReadFully(ReadableFile& file, std::span<std::byte> buffer, std::error_code& error);

// Reads a file just opened with its catalogued size, which is one byte less than buffer, to its
// end: true when it holds exactly that size. A first read that stops at that size has met the
// end of the file, which saves the read that would find it (a tenth of a search over many small
// files); a read that stops anywhere else is followed up.
bool ReadWholeFile(ReadableFile& file, std::span<std::byte> buffer, std::error_code& error);

// True when the next read finds the end of the file: a file that grew since it was catalogued
// has bytes left over and was therefore not compared in full.
bool AtEnd(ReadableFile& file);

}  // namespace zwf::detect
