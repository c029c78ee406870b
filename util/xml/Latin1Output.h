#ifndef OSTREL_XML_LATIN1OUTPUT_H
#define OSTREL_XML_LATIN1OUTPUT_H

#include <cstddef>
#include <string>

namespace ostrel::xml {

// Appends count bytes of UTF-8 text to out as the bytes of an ISO-8859-1
// document, so that a conforming XML parser reads back exactly the original
// characters:
// - ASCII bytes are copied unchanged;
// - a character from U+0080 to U+00FF becomes its single byte;
// - a character above U+00FF becomes the reference "&#N;" (N decimal);
// - U+FFFE and U+FFFF, which no XML document can hold, are dropped;
// - a byte that does not start a valid UTF-8 sequence (a stray continuation
//   byte, an overlong form, a surrogate, a cut-off sequence, a value above
//   U+10FFFF) is copied unchanged, and the conversion resumes at the next
//   byte.
// The caller escapes beforehand the markup characters and the white space
// that a parser would normalise; nothing is added here other than the
// references above. Never fails.
void appendAsLatin1(std::string& out, const char* text, std::size_t count);

}  // namespace ostrel::xml

#endif
