#ifndef OSTREL_XML_BYTEORDERMARK_H
#define OSTREL_XML_BYTEORDERMARK_H

#include <string>

namespace ostrel::xml {

// Removes a leading UTF-8 byte-order mark (EF BB BF) from the file itself,
// through a temporary file beside it that replaces the file atomically. A
// file that cannot be opened, is shorter than three bytes or starts
// otherwise is left alone. Throws CrException on failure; the file is then
// unchanged and no temporary file remains.
void removeByteOrderMark(const std::string& path);

}  // namespace ostrel::xml

#endif
