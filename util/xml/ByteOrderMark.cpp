#include "util/xml/ByteOrderMark.h"

#include "util/AutoDeleteFileSet.h"
#include "util/CrException.h"
#include "util/ErrorResolver.h"
#include "util/FileOperations.h"
#include "util/UniqueName.h"
#include "util/platform/Platform.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace ostrel::xml {

namespace {

constexpr unsigned char kUtf8Mark[3] = {0xEF, 0xBB, 0xBF};
constexpr std::size_t kCopyBlockSize = 64 * 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// The text after "Reason: " for the last system error; read right after the
// failing call.
std::string lastErrorText() { return ErrorResolver(0).resolve(platform::lastErrorCode(), false); }

bool startsWithMark(std::FILE* source) {
    unsigned char head[3] = {0, 0, 0};
    return std::fread(head, 1, sizeof(head), source) == sizeof(head) && head[0] == kUtf8Mark[0] &&
           head[1] == kUtf8Mark[1] && head[2] == kUtf8Mark[2];
}

[[noreturn]] void throwWriteFailure(const std::string& temporaryPath) {
    throw CrException("Failed to write to temporary file while removing BOM: '" + temporaryPath +
                          "'. Reason: " + lastErrorText(),
                      E_FAIL);
}

// Copies the rest of source to target in blocks.
void copyRest(std::FILE* source, std::FILE* target, const std::string& path, const std::string& temporaryPath) {
    std::vector<char> block(kCopyBlockSize);
    for (;;) {
        const std::size_t count = std::fread(block.data(), 1, block.size(), source);
        if (count == 0) {
            break;
        }
        if (std::fwrite(block.data(), 1, count, target) != count) {
            throwWriteFailure(temporaryPath);
        }
    }
    if (std::ferror(source)) {
        throw CrException("Failed to read from file '" + path + "' while removing BOM. Reason: " + lastErrorText(),
                          E_FAIL);
    }
}

}  // namespace

void removeByteOrderMark(const std::string& path) {
    FileHandle source(std::fopen(path.c_str(), "rb"));
    if (!source) {
        // Not ours to report: the parse that follows names the file.
        return;
    }
    if (!startsWithMark(source.get())) {
        return;
    }

    // Declared before the temporary file so that the file is closed before
    // the set deletes it on an early exit.
    AutoDeleteFileSet cleanup(false, true);
    const std::string temporaryPath = path + createUniqueName();
    FileHandle target(std::fopen(temporaryPath.c_str(), "wb"));
    if (!target) {
        throw CrException("Failed to open temporary file while removing BOM: '" + temporaryPath +
                              "'. Reason: " + lastErrorText(),
                          E_FAIL);
    }
    cleanup.addFile(temporaryPath);

    copyRest(source.get(), target.get(), path, temporaryPath);

    // Buffered data reaches the disk at the latest when the file is closed:
    // a failure there (a full disk) means the copy is incomplete and must not
    // replace the original.
    if (std::fclose(target.release()) != 0) {
        throwWriteFailure(temporaryPath);
    }
    source.reset();
    moveFile(temporaryPath, path, true);
}

}  // namespace ostrel::xml
