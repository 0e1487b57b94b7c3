#pragma once

#include <cstddef>
#include <span>
#include <system_error>

#include "platform/FileSystem.h"

namespace zwf::detect {

// Reads until buffer is full, the file ends or a read fails (error set). A file may deliver
// fewer bytes per read than asked for, so one Read is never taken as the whole answer.
std::size_t ReadFully(ReadableFile& file, std::span<std::byte> buffer, std::error_code& error);

// True when the next read finds the end of the file: a file that grew since it was catalogued
// has bytes left over and was therefore not compared in full.
bool AtEnd(ReadableFile& file);

}  // namespace zwf::detect
