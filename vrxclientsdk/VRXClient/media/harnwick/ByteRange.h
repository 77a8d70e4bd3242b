// The byte range of an HTTP "Range" request header, resolved against a file size.
//
// One range is served ("bytes=a-b", "bytes=a-", "bytes=-n"); a header in
// another unit, with several ranges or with bad syntax is ignored and the
// whole file is sent, as HTTP allows. A range that starts at or beyond the
// end of the file cannot be satisfied.
#pragma once

#include <cstdint>
#include <string_view>

struct ByteRange {
    enum class Kind {
        kWhole,          // no usable Range header: send everything with 200
        kPartial,        // send [first, first + length) with 206
        kUnsatisfiable,  // answer 416
    };
    Kind kind = Kind::kWhole;
    uint64_t first = 0;
    uint64_t length = 0;  // bytes to send (the whole size for kWhole)
};

// Resolves `header` (the Range header's value, empty when absent) for a file
// of `size` bytes.
ByteRange ResolveByteRange(std::string_view header, uint64_t size);
