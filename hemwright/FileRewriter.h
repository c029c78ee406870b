#ifndef HEMWRIGHT_FILEREWRITER_H
#define HEMWRIGHT_FILEREWRITER_H

#include <functional>
#include <string>
#include <vector>

#include "util/UniqueName.h"

// Replaces the file at path by prefix, the file's bytes unchanged, and
// suffix. The new content is streamed into a temporary file beside it, in
// the directory the file was found in, named after it + "-tmp-" +
// createName() (the file's own name cut when the whole would be longer than
// the directory allows), created private and exclusively (a name that exists
// already is never opened; another is taken, up to five times), given what
// the file had (permission bits, owner and group where permitted, access
// ACL, user extended attributes; holes stay holes) and renamed over the
// file's name in that directory in one step.
//
// A file that another process has open for writing (a live log) is left
// alone, and so is one that another process opened for writing or changed
// while it was copied: what that process writes is never lost.
//
// Before it takes the file's name, the new file is on stable storage (its
// content and who may use it); the name itself is made durable before the
// run ends (PendingNames.h).
//
// On any failure the file at path is left as it was, the temporary file is
// removed, and PipelinePluginException is thrown; each message ends with the
// system's reason where there is one (" Reason: " + text + "."):
//   "Failed to open input file '" + path + "'."  (missing, not a regular file)
//   "Input file '" + path + "' is open for writing by another process; ..."
//   "Failed to open output file '" + temporary + "' to rewrite '" + path + "'."
//   "Failed to read input file '" + path + "'."
//   "Failed to write output file '" + temporary + "' to rewrite '" + path + "'."
//       (the content could not be written, or not made durable)
//   "Input file '" + path + "' was changed by another process while ..."
//   "Failed to move '" + temporary + "' to '" + path + "'."
void rewriteWithAddedText(const std::string& path, const std::string& prefix, const std::string& suffix,
                          const std::function<std::string()>& createName = ostrel::createUniqueName);

// The same for every path in order, in batches (ReplacementBatch): the
// files of a batch are prepared one after the other, made durable with one
// flush and renamed in order. When a file fails, the files before it are
// replaced all the same, it and the files after it are left as they were,
// no temporary file remains, and its failure is thrown (that of an earlier
// file, should putting one of those in place fail).
void rewriteAllWithAddedText(const std::vector<std::string>& paths, const std::string& prefix,
                             const std::string& suffix,
                             const std::function<std::string()>& createName = ostrel::createUniqueName);

#endif
