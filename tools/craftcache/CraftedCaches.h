#pragma once
// Caches made by hand from their parts, with the layouts' own encoders: small ones for the
// fuzzers to start from, and hostile ones, well-formed enough to be read through, with records
// that all name the same bytes, slots that point into one block again and again, or streams
// that expand eight-fold into records of nothing but the smallest items. The inspect tests read
// them, and scripts/bench-inspect measures the time and memory inspect takes on them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace hoardwright::crafted {

using Bytes = std::vector<std::uint8_t>;

// A standard cache of `records` placed one after the other behind `shapeLibrary` (a compiled
// library), as a build places them.
Bytes StandardCache(const std::vector<Bytes>& records, const Bytes& shapeLibrary);
// An extended cache of the binary forms `forms`, 101 to a group, as a build places them.
Bytes ExtendedCache(const std::vector<Bytes>& forms, const Bytes& shapeLibrary);

// A personality record of about `length` bytes (at most) whose blocks hold only empty lines: one
// item per byte for a reader that keeps each line.
Bytes RecordOfEmptyLines(std::size_t length);
// A personality record of about `length` bytes whose table index holds only macro entries of 255
// rows without columns: 255 rows per 4 bytes.
Bytes RecordOfEmptyRows(std::size_t length);

// A standard cache whose `records` index records all name the same block `record`.
Bytes StandardSharedBlock(std::size_t records, const Bytes& record);
// A standard cache of `records` copies of `record`; its stream repeats and so compresses about
// eight-fold.
Bytes StandardRepeated(std::size_t records, const Bytes& record);

// An extended cache of `records` personalities, all naming the one binary form `form` that
// makes up group 5's data.
Bytes ExtendedSharedForm(std::size_t records, const Bytes& form);
// An extended cache of `records` personalities (101 to a group) whose odd-numbered group slots
// all point at group 5's block, `form` repeated `copies` times.
Bytes ExtendedSharedGroupBlock(std::size_t records, const Bytes& form, std::size_t copies);
// An extended cache of `records` personalities, each with its own copy of `form`.
Bytes ExtendedRepeated(std::size_t records, const Bytes& form);

}  // namespace hoardwright::crafted
