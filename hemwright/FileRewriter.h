#ifndef HEMWRIGHT_FILEREWRITER_H
#define HEMWRIGHT_FILEREWRITER_H

#include <functional>
#include <string>

#include "util/UniqueName.h"

// Replaces the file at path by prefix, the file's bytes unchanged, and
// suffix. The new content is streamed into a temporary file beside it,
// path + "-tmp-" + createName() (the file's own name cut when the whole would
// be longer than the directory allows), created private and exclusively (a
// name that exists already is never opened; another is taken, up to five
// times), given what the file had (permission bits, owner and group where
// permitted, access ACL, user extended attributes; holes stay holes) and
// renamed over path in one step. On any failure the file at path is left as
// it was, the temporary file is removed, and PipelinePluginException is
// thrown:
//   "Failed to open input file '" + path + "'."  (missing, not a regular file)
//   "Failed to open output file '" + temporary + "'."
//   "Failed to read input file '" + path + "'."
//   "Failed to write output file '" + temporary + "'."  (full disk included)
//   "Failed to move '" + temporary + "' to '" + path + "'. Reason: " + cause
void rewriteWithAddedText(const std::string& path, const std::string& prefix, const std::string& suffix,
                          const std::function<std::string()>& createName = ostrel::createUniqueName);

#endif
