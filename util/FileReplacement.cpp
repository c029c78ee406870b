#include "util/FileReplacement.h"

namespace ostrel {

platform::OpenResult FileReplacement::openOriginal() {
    const platform::OpenResult result = original_.openForReading(path_, access_, extent_);
    if (result == platform::OpenResult::Opened && !original_.readAttributes(access_)) {
        original_.close();
        return platform::OpenResult::Failed;
    }
    return result;
}

platform::CreateResult FileReplacement::createTemporary(const std::function<std::string()>& createName) {
    return temporary_.create(path_, platform::NewFileAccess::Private, createName);
}

platform::CopyResult FileReplacement::copyOriginal() {
    // Looking for holes costs two calls per data range; a file with as many
    // bytes on disk as its size has none to look for.
    return temporary_.file().copyRemainderFrom(original_, extent_.mayHaveHoles());
}

platform::CopyResult FileReplacement::complete() {
    if (!temporary_.file().applyAccess(access_)) {
        return platform::CopyResult::WriteFailed;
    }
    if (!original_.close()) {
        return platform::CopyResult::ReadFailed;
    }
    return temporary_.close() ? platform::CopyResult::Copied : platform::CopyResult::WriteFailed;
}

}  // namespace ostrel
