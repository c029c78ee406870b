#ifndef OSTREL_FILEREPLACEMENT_H
#define OSTREL_FILEREPLACEMENT_H

#include <functional>
#include <string>

#include "util/TemporaryFile.h"
#include "util/UniqueName.h"
#include "util/platform/FileHandle.h"

namespace ostrel {

// Replaces a file in place by new content (text before, the file's own
// bytes from the read position on, text after), in steps whose failures the
// caller words itself:
//
//   openOriginal, [read the head through original()], createTemporary,
//   write / copyOriginal / write, complete, then moveFile(temporaryPath(),
//   path, true) and temporary().release().
//
// What the new file keeps of the old one: its bytes as copied, its holes, its
// permission bits, owner and group (where the process may set them), its
// access ACL and its user extended attributes; the temporary file is created
// exclusively and private, and gets all of that only once its content is
// complete. Until the move the temporary file is removed on every way out, so
// a failed step leaves the file exactly as it was.
class FileReplacement {
public:
    explicit FileReplacement(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }
    const std::string& temporaryPath() const { return temporary_.path(); }
    platform::FileHandle& original() { return original_; }
    TemporaryFile& temporary() { return temporary_; }

    // Opens the file (regular files only, never blocking) and reads who may
    // use it. An attribute that cannot be read fails as Failed.
    platform::OpenResult openOriginal();

    // Creates the private temporary file beside it (TemporaryFile::create).
    platform::CreateResult createTemporary(const std::function<std::string()>& createName = createUniqueName);

    bool write(const std::string& bytes) { return temporary_.file().writeAll(bytes); }

    // Copies the rest of the original, from its read position, keeping holes.
    platform::CopyResult copyOriginal();

    // Gives the temporary file the original's access and closes both files:
    // ReadFailed when the original reports a failure on closing, WriteFailed
    // when the access cannot be applied or the temporary file's content did
    // not reach the system.
    platform::CopyResult complete();

private:
    std::string path_;
    platform::FileHandle original_;
    platform::FileAccess access_;
    platform::FileExtent extent_;
    TemporaryFile temporary_;
};

}  // namespace ostrel

#endif
