#ifndef OSTREL_XML_BYTEORDERMARK_H
#define OSTREL_XML_BYTEORDERMARK_H

#include <string>

namespace ostrel::xml {

// Removes a leading UTF-8 byte-order mark (EF BB BF) from the file itself,
// through a private temporary file beside it that gets the file's access
// (permission bits, owner and group where permitted, ACL, user attributes)
// and replaces it atomically. A file that cannot be opened, is not a regular
// file (it is never waited on), is shorter than three bytes or starts
// otherwise is left alone. Throws CrException on failure; the file is then
// unchanged and no temporary file remains.
void removeByteOrderMark(const std::string& path);

}  // namespace ostrel::xml

#endif
