#ifndef HEMWRIGHT_TESTS_HEMWRIGHT_FILEREWRITERTEST_H
#define HEMWRIGHT_TESTS_HEMWRIGHT_FILEREWRITERTEST_H

#include "hemwright/FileRewriter.h"
#include "plugin/PluginException.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// The fixture of the rewrite's tests, portable (FileRewriterTest.cpp) and
// POSIX-bound (posix/FileRewriterTest.cpp).

// Hands out the given names in turn, then "spare".
class NameSequence {
public:
    explicit NameSequence(std::vector<std::string> names) : names_(std::move(names)) {}
    std::string operator()() { return next_ < names_.size() ? names_[next_++] : "spare"; }

private:
    std::vector<std::string> names_;
    std::size_t next_ = 0;
};

class FileRewriterTest : public ::testing::Test {
protected:
    template <typename Call>
    std::string failureOf(Call call) {
        try {
            call();
        } catch (const Vellamor::Plugin::PipelinePluginException& failure) {
            return failure.getMessage();
        }
        ADD_FAILURE() << "no PipelinePluginException";
        return std::string();
    }

    // The message of a rewrite of path that found the file changed by
    // another process.
    static std::string changedMeanwhile(const std::string& path) {
        return "Input file '" + path +
               "' was opened for writing or changed by another process while it was rewritten; it was left as it "
               "was, so that nothing that process wrote is lost.";
    }

    // Numbered lines up to size bytes: a lost, repeated or misplaced piece
    // shows.
    static std::string largeContent(std::size_t size) {
        std::string content;
        content.reserve(size);
        for (std::size_t i = 0; content.size() < size; ++i) {
            content += std::to_string(i) + '\n';
        }
        return content;
    }

    testing_support::ScopedTempDir dir_;
};

#endif
