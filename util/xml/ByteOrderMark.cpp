#include "util/xml/ByteOrderMark.h"

#include "util/CrException.h"
#include "util/ErrorResolver.h"
#include "util/FileReplacement.h"
#include "util/platform/Platform.h"

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

void removeByteOrderMark(const std::string& path) {
    // Regular files only, and never a wait on a FIFO: anything else is left
    // to the parse, which names the file.
    FileReplacement replacement(path);
    if (replacement.openOriginal() != platform::OpenResult::Opened || !startsWithMark(replacement.original())) {
        return;
    }

    // The file may hold passwords: it is rewritten like any replaced file,
    // into a private temporary file that gets the original's access only
    // when complete, and is renamed over it in one step.
    if (replacement.createTemporary() != platform::CreateResult::Created) {
        throw CrException("Failed to open temporary file while removing BOM: '" + replacement.temporaryPath() +
                              "'. Reason: " + lastSystemErrorText(),
                          E_FAIL);
    }
    platform::CopyResult result = replacement.copyOriginal();
    if (result == platform::CopyResult::Copied) {
        result = replacement.complete();
    }
    if (result == platform::CopyResult::ReadFailed) {
        throw CrException("Failed to read from file '" + path + "' while removing BOM. Reason: " + lastSystemErrorText(),
                          E_FAIL);
    }
    if (result == platform::CopyResult::WriteFailed) {
        throw CrException("Failed to write to temporary file while removing BOM: '" + replacement.temporaryPath() +
                              "'. Reason: " + lastSystemErrorText(),
                          E_FAIL);
    }
    if (!replacement.originalUnchanged()) {
        throw CrException("Failed to remove BOM from '" + path +
                              "': another process changed the file meanwhile; it was left as it was.",
                          E_FAIL);
    }
    if (!replacement.replace()) {
        throw CrException("Failed to move the file '" + replacement.temporaryPath() + "' to '" + path +
                              "'. Reason: " + lastSystemErrorText() + ".",
                          E_FAIL);
    }
}

}  // namespace ostrel::xml
