#pragma once
// File access of the platform. Names are byte strings in the active code page, passed to the
// system as they are. Only regular files count as files: a folder, FIFO or device is never
// opened, so a stray name cannot make the program block or read a device.
//
// A name given on the command line ends with one blank that the system's own file functions
// would ignore; the functions that look for an existing file (FileExists, FileSize,
// ReadFileBytes) therefore also try the name without one trailing blank when the name itself
// is not a regular file. Writing uses the name exactly as given.

#include "platform/base/Strings.h"

#include <cstdint>
#include <span>
#include <vector>

// True only for an existing regular file (links followed).
bool FileExists(const AnsiString& name);

// The size of a regular file in bytes, -1 when there is none.
std::int64_t FileSize(const AnsiString& name);

// The whole content of a regular file. Throws EFOpenError(name) when it cannot be opened or
// read or is not a regular file, and EInvalidGraphic when it holds more than maxBytes (found
// before the content is read).
std::vector<std::uint8_t> ReadFileBytes(const AnsiString& name, std::uint64_t maxBytes);

// Writes data to name through a temporary file in the same folder that replaces name only once
// it is complete and synced, so a failed save leaves an existing file as it was. Throws
// EFCreateError(name) on any failure, after removing the temporary; refuses a name that exists
// and is not a regular file without touching it.
void WriteFileAtomically(const AnsiString& name, std::span<const std::uint8_t> data);
