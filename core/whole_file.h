// Whole-file access, the one place where the program reads a file into memory or replaces a
// file's content: reading a file's bytes in one go, and replacing a file's content so that a
// failure at any point leaves the old file as it was. A failure says which step failed and
// keeps the reason the system gave ("No such file or directory").
#pragma once

#include "core/failure.h"

#include <string>

namespace core {

enum class file_error {
    none,
    cannot_open,  // the file could not be opened for reading
    cannot_read,  // it opened but could not be read (a folder, a read error)
    cannot_write, // the new content could not be put in place
};

// The path and the system's reason are filled in. These failures are never shown as they
// are: the layer that knows what the file holds restates them in its own words.
using file_failure = failure<file_error>;

// Reads the whole file at `path` into `bytes` (left empty on failure).
file_failure read_whole_file(const std::string& path, std::string& bytes);

// Writes `bytes` to a new file in the folder of `path`, flushes it to the disk and renames
// it over `path`. A symbolic link at `path` is followed, so its target is replaced. A new
// file gets mode 0644 less the umask, a replaced file keeps its mode. On failure the old
// file is untouched and the temporary file removed.
file_failure replace_whole_file(const std::string& path, const std::string& bytes);

// Whether replace_whole_file(path, ...) could put a file in place, tried before the work
// that makes its content: `path` is not a folder and a file can be created beside it (the
// trial file is removed again). An existing file at `path` is left untouched.
file_failure can_replace_whole_file(const std::string& path);

} // namespace core
