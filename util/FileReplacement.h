#ifndef OSTREL_FILEREPLACEMENT_H
#define OSTREL_FILEREPLACEMENT_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "util/TemporaryFile.h"
#include "util/UniqueName.h"
#include "util/platform/DirectoryHandle.h"
#include "util/platform/FileHandle.h"

namespace ostrel {

// Where a replacement that was put to the test failed (ReplacementBatch).
enum class ReplaceStep {
    Done,     // in place
    Flush,    // its new content could not be made durable
    Changed,  // another process wrote to, changed or renamed the original
    Move,     // the rename failed
};

// Replaces a file in place by new content (text before, the file's own
// bytes from the read position on, text after), or puts a new file in the
// place of whatever holds a name, in steps whose failures the caller words
// itself:
//
//   openOriginal, otherWriters, [read the head through original()],
//   createTemporary, write / copyOriginal / write, finishContent,
//   then replace() alone, or ReplacementBatch::add and commit for many;
//   for a new file: createNewFile, write, finishContent, replace().
//
// replace() (and a batch's commit) makes the new content durable, checks
// that the original is unchanged, renames the new file over the name and
// lists the directory among the pending names (PendingNames.h), so that
// once the run has flushed those, a power cut keeps the new file, whole;
// before the rename it keeps the old one, whole.
//
// The file's directory is opened once, by openOriginal; the file is opened,
// its temporary file created, checked and renamed all relative to that very
// directory, so a directory on the path that is renamed or swapped for a
// symbolic link meanwhile cannot make the steps act in two places. A step
// usually lists many files of one directory: the directory opened last is
// kept open, for the whole process, for the next file written with the same
// directory text. What the new file keeps of the old one: its bytes as
// copied, its holes, its permission bits, owner and group (where the process
// may set them), its access ACL and its user extended attributes; the
// temporary file is created exclusively and private, and gets all of that
// only once its content is complete. Until it is in place the temporary file
// is removed on every way out, so a failed step leaves the file exactly as
// it was.
//
// What the checks against other writers see and what they cannot: a process
// that has the file open for writing when it is opened (otherWriters), one
// that opens it for writing while it is copied (the opener then waits for
// this process, up to the system's lease-break time, and the check before
// the rename fails), and anything that changed the file's size, change time
// or identity before that check. Where the system gives no lease
// (otherWriters() Unknown), a writer that has not written yet goes unseen;
// in all cases a writer that opens the file in the moment between the check
// and the rename writes to the replaced file.
class FileReplacement {
public:
    explicit FileReplacement(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }
    // Empty until createTemporary() or createNewFile() was called.
    const std::string& temporaryPath() const { return temporary_.path(); }
    platform::FileHandle& original() { return original_; }
    // What openOriginal() found: the file's identity and size.
    const platform::FileExtent& originalExtent() const { return extent_; }

    // Opens the file's directory and the file (regular files only, never
    // blocking; a symbolic link is followed unless refused, NotRegularFile)
    // and reads who may use it. An
    // attribute that cannot be read fails as Failed; a file the platform
    // marks as not to be replaced (read-only on Windows) as ReadOnly. The
    // system's code is in platform::lastErrorCode() for NotFound,
    // NotRegularFile and Failed.
    platform::OpenResult openOriginal(platform::Links links = platform::Links::Follow);

    // Whether another process has the file open for writing now (or another
    // replacement, of this process too, is preparing it: Rewriting); from a
    // None on, a writer that opens it waits until the rename or until this
    // object is destroyed.
    platform::OtherWriters otherWriters() { return original_.watchForWriters(); }

    // Creates the private temporary file beside the original
    // (TemporaryFile::create).
    platform::CreateResult createTemporary(const std::function<std::string()>& createName = createUniqueName);
    // For a new file (no original): opens the directory of the path and
    // creates the temporary file there with what any new file gets. Failed
    // with the system's code when the directory cannot be opened.
    platform::CreateResult createNewFile(const std::function<std::string()>& createName = createUniqueName);

    bool write(const std::string& bytes) { return temporary_.file().writeAll(bytes); }

    // Copies the rest of the original, from its read position, keeping holes.
    platform::CopyResult copyOriginal() { return temporary_.file().copyRemainderFrom(original_); }

    // Ends the new content: gives the temporary file the original's access
    // (a new file keeps what it was created with) and finishes the writing.
    // False, with the system's code, when the access cannot be applied or
    // the content did not reach the system.
    bool finishContent();

    // Makes the new content durable and puts it in place (see above): one
    // replacement alone. Done, or the step that failed, with the system's
    // code in platform::lastErrorCode(); on a failure the temporary file is
    // removed on destruction and the name holds what it held.
    ReplaceStep replace();

    // Whether the file's name still holds the file that was copied, unchanged
    // (same file, size and change time), and no writer has asked for it
    // since otherWriters(). Always true for a new file.
    bool originalUnchanged() const;

    // After replace(): makes the name durable now rather than with the other
    // pending names. False with the system's code when it cannot be flushed.
    bool makeNameDurable();

private:
    friend class ReplacementBatch;

    // Renames the new file over the name (the last step of replace()).
    ReplaceStep putInPlace();
    platform::FileHandle& newFile() { return temporary_.file(); }

    std::string path_;
    std::string name_;
    bool hasOriginal_ = false;
    std::shared_ptr<const platform::DirectoryHandle> directory_;
    platform::FileHandle original_;
    platform::FileAccess access_;
    platform::FileExtent extent_;
    // Declared after directory_, so destroyed (and removed) while it is open.
    TemporaryFile temporary_;
};

}  // namespace ostrel

#endif
