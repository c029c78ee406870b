#include "util/xml/ByteOrderMark.h"

#include "util/CrException.h"
#include "util/ErrorResolver.h"
#include "util/FileReplacement.h"
#include "util/platform/Platform.h"

#include <utility>

namespace ostrel::xml {

namespace {

constexpr char kUtf8Mark[3] = {'\xEF', '\xBB', '\xBF'};

// Whether the file starts with the mark; reads the three bytes, or fewer at
// the end of the file or on a read failure (which the copy meets again).
bool startsWithMark(platform::FileHandle& file) {
    char head[sizeof kUtf8Mark] = {};
    std::size_t count = 0;
    while (count < sizeof head) {
        const std::int64_t read = file.readSome(head + count, sizeof head - count);
        if (read <= 0) {
            return false;
        }
        count += static_cast<std::size_t>(read);
    }
    return head[0] == kUtf8Mark[0] && head[1] == kUtf8Mark[1] && head[2] == kUtf8Mark[2];
}

}  // namespace

MarkRemoval removeByteOrderMark(const std::string& path) {
    // Regular files only, and never a wait on a FIFO: anything else is left
    // to the parse, which names the file. A symbolic link is left alone
    // too, link and target: the document is read through it as it is.
    FileReplacement replacement(path);
    if (replacement.openOriginal(platform::Links::Refuse) != platform::OpenResult::Opened ||
        !startsWithMark(replacement.original())) {
        return MarkRemoval();
    }

    // Removing the mark is a courtesy to later readers of the file, not
    // something the parse needs: a file that cannot be rewritten keeps it,
    // unchanged, and the reason is handed back instead of failing the parse.
    //
    // The file may hold passwords: it is rewritten like any replaced file,
    // into a private temporary file that gets the original's access only
    // when complete, and is renamed over it in one step.
    const auto kept = [](std::string reason) { return MarkRemoval{true, std::move(reason)}; };
    // A file another process writes to keeps its mark, as any file it
    // writes to is left alone: what it writes is never lost.
    const platform::OtherWriters writers = replacement.otherWriters();
    if (writers == platform::OtherWriters::Present || writers == platform::OtherWriters::Rewriting) {
        return kept("Failed to remove BOM from '" + path + "': another process has the file open for writing.");
    }
    if (replacement.createTemporary() != platform::CreateResult::Created) {
        return kept("Failed to open temporary file while removing BOM: '" + replacement.temporaryPath() +
                    "'. Reason: " + lastSystemErrorText());
    }
    platform::CopyResult result = replacement.copyOriginal();
    if (result == platform::CopyResult::Copied && !replacement.finishContent()) {
        result = platform::CopyResult::WriteFailed;
    }
    if (result == platform::CopyResult::ReadFailed) {
        return kept("Failed to read from file '" + path + "' while removing BOM. Reason: " + lastSystemErrorText());
    }
    if (result == platform::CopyResult::WriteFailed) {
        return kept("Failed to write to temporary file while removing BOM: '" + replacement.temporaryPath() +
                    "'. Reason: " + lastSystemErrorText());
    }
    switch (replacement.replace()) {
        case ReplaceStep::Done:
            break;
        case ReplaceStep::Flush:
            return kept("Failed to flush the temporary file to disk while removing BOM: '" +
                        replacement.temporaryPath() + "'. Reason: " + lastSystemErrorText());
        case ReplaceStep::Changed:
            return kept("Failed to remove BOM from '" + path + "': another process changed the file meanwhile.");
        case ReplaceStep::Move:
            return kept("Failed to move the file '" + replacement.temporaryPath() + "' to '" + path +
                        "'. Reason: " + asSentence(lastSystemErrorText()));
    }
    return MarkRemoval();
}

}  // namespace ostrel::xml
