// Whole-file access for the HEX files: reading a file's bytes in one go, and replacing a
// file's content so that a failure at any point leaves the old file as it was. Both report
// a failure as the system's reason text ("No such file or directory"), empty on success.
#pragma once

#include <string>

namespace image {

// Reads the whole file at `path` into `bytes`. Returns the reason on failure (a missing
// file, a folder, no permission, a read error), an empty text on success.
std::string read_whole_file(const std::string& path, std::string& bytes);

// Writes `bytes` to a new file in the folder of `path`, flushes it to the disk and renames
// it over `path`. A symbolic link at `path` is followed, so its target is replaced. A new
// file gets mode 0644 less the umask, a replaced file keeps its mode. Returns the reason on
// failure (the old file is then untouched and the temporary file removed), empty on success.
std::string replace_whole_file(const std::string& path, const std::string& bytes);

} // namespace image
