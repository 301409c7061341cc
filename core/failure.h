// The one shape in which every layer reports a failure: a value of the layer's own error
// enum together with what its message names (the file or device, the line, the reason the
// system gave, the text it quotes). Each layer declares its type as core::failure<its enum>
// and has one failure_text() that turns a failure into the message a user reads. The layers
// return failures; only the front ends decide to show them.
#pragma once

#include <cstdint>
#include <string>

namespace core {

// `Code` is an enum whose first value, `none`, means that nothing failed.
template <class Code> struct failure {
    Code code{};
    std::string path;       // the file or device concerned
    std::int64_t line = 0;  // the line of that file the message names, 0 for none
    std::string reason;     // why: the reason the system gave, or the layer's own words
    std::string quoted;     // what the message quotes: the offending line, a list of addresses
    std::int64_t count = 0; // how many, where the message gives a number

    bool ok() const { return code == Code{}; }
};

} // namespace core
