// A lint for device database files: every problem that would make a model misbehave or
// stop the program, each with the file name and line number.
#pragma once

#include <string>
#include <vector>

namespace devices {

struct database_line;

struct database_problem {
    int line = 0; // 0 when the problem concerns the whole file
    std::string text;
};

// Checks the database bytes; line numbers count as the loader counts them.
std::vector<database_problem> check_device_database(const std::string& bytes);
// Same, from the file's lines as read_database_lines gives them.
std::vector<database_problem> check_device_database(const std::vector<database_line>& lines);

// "file:line: text" (or "file: text" for whole-file problems).
std::string format_problem(const std::string& source, const database_problem& problem);

} // namespace devices
