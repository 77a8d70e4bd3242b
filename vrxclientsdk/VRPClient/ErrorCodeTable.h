// The message format of each of the library's own error codes.
#pragma once

#include <cstddef>

struct ErrorCodeEntry {
    int code;
    const char* format;  // at most two "%s", filled from the two message arguments
};

extern const ErrorCodeEntry ErrorCodeTable[];
extern const size_t ErrorCodeTableSize;

// The format of `code`, or nullptr when the table has no row for it.
const char* FindErrorFormat(int code);
