#ifndef HEMWRIGHT_STEP_ADDEDTEXTCHECKS_H
#define HEMWRIGHT_STEP_ADDEDTEXTCHECKS_H

#include "hemwright/AddedText.h"
#include "step/StepOptions.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// What the added texts do that the operator may not expect, and how a file
// that already carries them is recognised.

// How much of a file's start is looked at to tell whether it is UTF-8.
constexpr std::size_t kUtf8SniffBytes = 64 * 1024;

// The warnings about the texts themselves, one text each, for a step that
// adds something: --add-line-break without a style puts CR LF after the prefix
// on every system, and the characters of a text above U+00FF become '?'
// (hemwright writes single bytes, ISO 8859-1).
std::vector<std::string> addedTextWarnings(const StepOptions& options);

// Whether the added bytes hold a byte above 0x7F (a letter such as é as the
// single byte E9), which breaks a UTF-8 file.
bool addsBytesBeyondAscii(const AddedText& added);

// The first character of the texts that hemwright writes as a byte above
// 0x7F, with that byte: "\xC3\xA9 as the byte 0xE9"; empty when there is none.
std::string firstByteBeyondAscii(const StepOptions& options);

// Why a file whose first bytes are head looks like UTF-8 ("it begins with a
// UTF-8 byte-order mark", "it holds UTF-8 characters beyond ASCII"), or
// nothing: a file of ASCII only, or with a byte that is not UTF-8, does not.
// cut: head is only the start of the file, so a sequence cut at its end is
// not held against it.
std::optional<std::string> utf8Look(const std::string& head, bool cut);

// Whether a file of size bytes that begins with head and ends with tail
// already carries added as hemwright writes it (the prefix at its start and
// the suffix at its end, byte for byte). REQUIRES: head and tail hold at
// least the prefix's and the suffix's length where the file does.
bool isStamped(std::uintmax_t size, const std::string& head, const std::string& tail, const AddedText& added);

#endif
