#include "step/RunProgress.h"

#include "step/CountText.h"
#include "util/platform/posix/FileAccessQueries.h"
#include "util/platform/posix/ProcessWatch.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>

namespace platform = ostrel::platform;

namespace {

std::string durationText(double seconds) {
    const auto whole = static_cast<unsigned long long>(seconds + 0.5);
    char text[48];
    if (whole < 60) {
        std::snprintf(text, sizeof text, "%llu s", whole);
    } else if (whole < 3600) {
        std::snprintf(text, sizeof text, "%llu min %02llu s", whole / 60, whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%llu h %02llu min", whole / 3600, whole / 60 % 60);
    }
    return text;
}

// Erases the line the cursor is on, from its start.
const char kEraseLine[] = "\r\033[K";

}  // namespace

std::string formatProgress(const ProgressSnapshot& snapshot) {
    std::string text = "hemwright-step: ";
    const std::uint64_t done = std::min(snapshot.bytesDone, snapshot.bytesTotal);
    if (snapshot.bytesKnown) {
        text += sizeForPeople(done) + " of " + sizeForPeople(snapshot.bytesTotal);
        if (snapshot.bytesTotal > 0) text += " (" + std::to_string(done * 100 / snapshot.bytesTotal) + "%)";
        text += ", ";
    }
    text += std::to_string(snapshot.filesDone) + " of " + countText(snapshot.filesTotal, "file");
    if (snapshot.bytesKnown && snapshot.seconds > 0 && done > 0) {
        const double rate = static_cast<double>(done) / snapshot.seconds;
        text += ", " + sizeForPeople(static_cast<std::uintmax_t>(rate)) + "/s";
        // Before the first hundredth the rate says little about the rest.
        if (done * 100 >= snapshot.bytesTotal) {
            text += ", " + durationText(static_cast<double>(snapshot.bytesTotal - done) / rate) + " left";
        }
    }
    return text;
}

RunProgress::RunProgress(const std::vector<FileRecord>& files, std::uint64_t addedPerFile, bool enabled)
    : files_(files), addedPerFile_(addedPerFile), bytesTotal_(bytesReplaced(files.size())), enabled_(enabled) {
    if (enabled_) watcher_ = platform::startThreadWithoutSignals([this] { watch(); });
}

RunProgress::~RunProgress() { finish(); }

void RunProgress::started(int processId) noexcept { processId_ = processId; }

void RunProgress::finish() {
    if (!watcher_.joinable()) return;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    watcher_.join();
}

std::size_t RunProgress::filesReplaced() {
    // hemwright works through the list in order: look on from the first file
    // not yet replaced.
    while (firstNotReplaced_ < files_.size()) {
        const FileRecord& file = files_[firstNotReplaced_];
        platform::FileIdentity now;
        if (!file.identityBefore || !platform::queryEntryIdentity(file.path, now) || now == *file.identityBefore) break;
        ++firstNotReplaced_;
    }
    return firstNotReplaced_;
}

std::uint64_t RunProgress::bytesReplaced(std::size_t files) const {
    std::uint64_t bytes = 0;
    for (std::size_t index = 0; index < files; ++index) {
        bytes += files_[index].sizeBefore.value_or(0) + addedPerFile_;
    }
    return bytes;
}

void RunProgress::watch() {
    const auto start = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(mutex_);
    bool shown = false;
    if (!wake_.wait_for(lock, std::chrono::milliseconds(kProgressDelayMilliseconds), [this] { return stopping_; })) {
        do {
            ProgressSnapshot snapshot;
            snapshot.bytesTotal = bytesTotal_;
            snapshot.filesTotal = files_.size();
            const int processId = processId_;
            snapshot.filesDone = filesReplaced();
            snapshot.bytesKnown = processId > 0 && platform::queryBytesWritten(processId, snapshot.bytesDone);
            // The write count grows by a whole copy at a time; the new
            // files in place and those being written show a copy under way.
            std::uint64_t beingWritten = 0;
            if (snapshot.bytesKnown && platform::queryBytesInFilesBeingWritten(processId, beingWritten)) {
                snapshot.bytesDone = std::max(snapshot.bytesDone, bytesReplaced(snapshot.filesDone) + beingWritten);
            }
            snapshot.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::cerr << kEraseLine << formatProgress(snapshot) << std::flush;
            shown = true;
        } while (!wake_.wait_for(lock, std::chrono::milliseconds(kProgressIntervalMilliseconds),
                                 [this] { return stopping_; }));
    }
    if (shown) std::cerr << kEraseLine << std::flush;
}
