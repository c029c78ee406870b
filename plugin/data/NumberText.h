#ifndef VELLAMOR_PLUGIN_DATA_NUMBERTEXT_H
#define VELLAMOR_PLUGIN_DATA_NUMBERTEXT_H

#include <string>

// Number-to-text and text-to-number conversions of data elements. Both follow
// the classic "C" rules whatever the process locale is, so the documents the
// host reads never carry a decimal comma or digit grouping.
namespace Vellamor::Plugin {

// value in general notation with at most significantDigits significant
// digits and no trailing zeros, as a default-formatted stream writes it
// (0.1 -> "0.1", 3.0 -> "3", 1234567.0 with 6 digits -> "1.23457e+06").
std::string formatNumber(double value, int significantDigits);

// The text of a numeric data element's number: one that readNumberPrefix
// reads back to exactly value, with no more digits than that takes. A whole
// number of magnitude up to 2^53 (where every integer is exact) is written
// in plain digits (1000000, -0); any other finite number in the shortest
// form std::to_chars gives, which takes the exponent form only where it is
// the shorter one (0.1, 0.3333333333333333, 1e+16, 1e-05). An infinity,
// which no finite text names, is written 1e309 or -1e309, decimal texts just
// beyond the range of double that read back as that infinity. NaN is written
// NaN, which no text reads back as (readNumberPrefix reads that word, like
// any text without a leading number, as 0).
std::string formatShortestNumber(double value);

// The number that the longest numeric prefix of text names, after leading
// white space: an optional sign, then decimal digits with an optional '.'
// and an optional exponent. A text without such a prefix gives 0, and so do
// hexadecimal forms ("0x10" reads its 0) and the words inf, infinity and
// nan. A value beyond the range of double gives an infinity, one too small
// to represent gives zero (as the standard text-to-double conversion does).
double readNumberPrefix(const std::string& text);

}  // namespace Vellamor::Plugin

#endif
