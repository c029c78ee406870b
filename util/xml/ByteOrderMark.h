#ifndef OSTREL_XML_BYTEORDERMARK_H
#define OSTREL_XML_BYTEORDERMARK_H

#include <string>

namespace ostrel::xml {

// What became of a file's byte-order mark.
struct MarkRemoval {
    // The file starts with a mark that stays, because the file could not be
    // rewritten; reason then says why, with the system's reason.
    bool kept = false;
    std::string reason;
};

// Removes a leading UTF-8 byte-order mark (EF BB BF) from the file itself,
// through a private temporary file beside it that gets the file's access
// (permission bits, owner and group where permitted, ACL, user attributes)
// and replaces it atomically. A file that cannot be opened, is not a regular
// file (it is never waited on), is shorter than three bytes or starts
// otherwise is left alone.
//
// A file with a mark that cannot be rewritten (no temporary file can be
// created beside it, the copy fails, or the file cannot be replaced: it is
// immutable, its directory is read-only to this user, it belongs to another
// user in a sticky directory) is left exactly as it was, no temporary file
// remains, and the result says kept: the parser reads a UTF-8 mark itself,
// so the caller parses the file as it is. Never throws for a file-system
// failure.
MarkRemoval removeByteOrderMark(const std::string& path);

}  // namespace ostrel::xml

#endif
