#ifndef OSTREL_FILEREPLACEMENT_H
#define OSTREL_FILEREPLACEMENT_H

#include <functional>
#include <memory>
#include <string>

#include "util/TemporaryFile.h"
#include "util/UniqueName.h"
#include "util/platform/DirectoryHandle.h"
#include "util/platform/FileHandle.h"

namespace ostrel {

// Replaces a file in place by new content (text before, the file's own
// bytes from the read position on, text after), in steps whose failures the
// caller words itself:
//
//   openOriginal, otherWriters, [read the head through original()],
//   createTemporary, write / copyOriginal / write, complete,
//   originalUnchanged, replace.
//
// The file's directory is opened once, by openOriginal; the file is opened,
// its temporary file created, checked and renamed all relative to that very
// directory, so a directory on the path that is renamed or swapped for a
// symbolic link meanwhile cannot make the steps act in two places. A step
// usually lists many files of one directory: the directory opened last is
// kept open for the next file written with the same directory text. What the
// new file keeps of the old one: its bytes as copied, its holes, its
// permission bits, owner and group (where the process may set them), its
// access ACL and its user extended attributes; the temporary file is
// created exclusively and private, and gets all of that only once its
// content is complete. Until replace() the temporary file is removed on
// every way out, so a failed step leaves the file exactly as it was.
//
// What the checks against other writers see and what they cannot: a process
// that has the file open for writing when it is opened (otherWriters), one
// that opens it for writing while it is copied (the opener then waits for
// this process, up to the system's lease-break time, and
// originalUnchanged() fails), and anything that changed the file's size,
// change time or identity before originalUnchanged(). Where the system
// gives no lease (otherWriters() Unknown), a writer that has not written yet
// goes unseen; in all cases a writer that opens the file in the moment
// between originalUnchanged() and replace() writes to the replaced file.
class FileReplacement {
public:
    explicit FileReplacement(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }
    // Empty until createTemporary() was called.
    const std::string& temporaryPath() const { return temporary_.path(); }
    platform::FileHandle& original() { return original_; }

    // Opens the file's directory and the file (regular files only, never
    // blocking; a symbolic link is followed) and reads who may use it. An
    // attribute that cannot be read fails as Failed; a file the platform
    // marks as not to be replaced (read-only on Windows) as ReadOnly. The
    // system's code is in platform::lastErrorCode() for NotFound,
    // NotRegularFile and Failed.
    platform::OpenResult openOriginal();

    // Whether another process has the file open for writing now; from a None
    // on, a writer that opens it waits until replace() or until this object
    // is destroyed.
    platform::OtherWriters otherWriters() { return original_.watchForWriters(); }

    // Creates the private temporary file beside it (TemporaryFile::create).
    platform::CreateResult createTemporary(const std::function<std::string()>& createName = createUniqueName);

    bool write(const std::string& bytes) { return temporary_.file().writeAll(bytes); }

    // Copies the rest of the original, from its read position, keeping holes.
    platform::CopyResult copyOriginal() { return temporary_.file().copyRemainderFrom(original_); }

    // Gives the temporary file the original's access and closes it:
    // WriteFailed when the access cannot be applied or the temporary file's
    // content did not reach the system.
    platform::CopyResult complete();

    // Whether the file's name still holds the file that was copied, unchanged
    // (same file, size and change time), and no writer has asked for it
    // since otherWriters().
    bool originalUnchanged() const;

    // Renames the temporary file over the file's name and closes the
    // original. False (code in platform::lastErrorCode()) when the rename
    // fails; the temporary file is then removed on destruction.
    bool replace();

private:
    std::string path_;
    std::string name_;
    std::shared_ptr<const platform::DirectoryHandle> directory_;
    platform::FileHandle original_;
    platform::FileAccess access_;
    platform::FileExtent extent_;
    // Declared after directory_, so destroyed (and removed) while it is open.
    TemporaryFile temporary_;
};

}  // namespace ostrel

#endif
