#pragma once
// Ordering the rows of a grid by one column at a bounded cost: a key of 16 bytes per row (and at
// worst 8 more for the runs of ties waiting), never a copy of the column's texts. A key holds a
// number, or the next few bytes of a text in its sort form; rows whose keys tie on bytes that
// go on are keyed again on the bytes that follow, run by run, until they differ or end. The row
// order lives in the keys, and the rows pass through the keys' own room on their way to it.
//
// Rows that compare equal keep their order, in either direction: the row's place is the last
// word of every comparison.
#include "platform/PackedRows.h"
#include <cstdint>
#include <functional>
#include <string_view>

namespace RowSort {

// Rows first .. first + count - 1 by column `col`. Generic: numbers (NumberRule) by value before
// every text, texts without regard to case in the order of their UTF-16 forms case-folded.
// Numeric: every text by its number, a text that is none as 0. Descending reverses either.
void byColumn(PackedRows &rows, int first, int count, int col, bool numeric, bool descending);

// The same by the whole number keyOf gives for each text (a date's seconds). When keyOf raises,
// the rows stay as they were and the error goes on to the caller.
void byNumber(PackedRows &rows, int first, int count, int col, bool descending,
              const std::function<int64_t(std::string_view)> &keyOf);

}
