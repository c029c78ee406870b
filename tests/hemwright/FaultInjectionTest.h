#ifndef HEMWRIGHT_TESTS_HEMWRIGHT_FAULTINJECTIONTEST_H
#define HEMWRIGHT_TESTS_HEMWRIGHT_FAULTINJECTIONTEST_H

#include "tests/support/HostRunner.h"
#include "tests/support/InputDocument.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

// The fixture of the fault tests, portable (FaultInjectionTest.cpp) and
// POSIX-bound (posix/FaultInjectionTest.cpp): a working directory, the
// program run there as the host runs it, and what its output.xml says.

inline constexpr std::size_t kUniqueNameLength = 36;

class FaultInjectionTest : public ::testing::Test {
protected:
    // Runs the program in the working directory under options (HostOptions,
    // or posix/PosixHostRunner.h's PosixHostOptions).
    template <typename Options = testing_support::HostOptions>
    testing_support::HostRun run(const Options& options = Options()) {
        // Unqualified, so that the options' type chooses the runner:
        // PosixHostOptions reach the POSIX one.
        const testing_support::HostRun result = runHost(HEMWRIGHT_EXECUTABLE, work.path(), options);
        EXPECT_FALSE(result.timedOut) << "the program hung";
        EXPECT_TRUE(result.exited) << "ended by signal " << result.signalNumber;
        return result;
    }

    void writeInput(const std::string& dataElements, const std::vector<std::string>& paths) {
        testing_support::writeBytes(work.file("input.xml"), testing_support::inputDocument(dataElements, paths));
    }

    static std::string element(const std::string& name, const std::string& value) {
        return testing_support::dataElementXml(name, "string", value);
    }

    static std::string prefixAndSuffix(const std::string& prefix, const std::string& suffix) {
        return element("DataToPrepend", prefix) + element("DataToAppend", suffix);
    }

    // The text of the Error log message of output.xml; empty when none.
    std::string errorLog() {
        const std::string output = testing_support::readBytes(work.file("output.xml"));
        const std::string start = "<Log Severity=\"Error\">";
        const std::string::size_type begin = output.find(start);
        const std::string::size_type end = output.find("</Log>");
        if (begin == std::string::npos || end == std::string::npos) {
            return std::string();
        }
        return output.substr(begin + start.size(), end - begin - start.size());
    }

    // Whether text is head, a unique name (8-4-4-4-12 lower-case hex digits
    // joined by hyphens), then tail.
    static bool hasUniqueNameBetween(const std::string& text, const std::string& head, const std::string& tail) {
        if (text.size() != head.size() + kUniqueNameLength + tail.size() || text.compare(0, head.size(), head) != 0 ||
            text.compare(text.size() - tail.size(), tail.size(), tail) != 0) {
            return false;
        }
        const std::string name = text.substr(head.size(), kUniqueNameLength);
        for (std::size_t i = 0; i < name.size(); ++i) {
            const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
            const bool hex = (name[i] >= '0' && name[i] <= '9') || (name[i] >= 'a' && name[i] <= 'f');
            if (hyphen ? name[i] != '-' : !hex) {
                return false;
            }
        }
        return true;
    }

    std::vector<std::string> entries() { return testing_support::listDirectory(work.path()); }

    testing_support::ScopedTempDir work;
};

// Numbered lines, each starting with tag.
inline std::string lines(const std::string& tag, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += tag + " line " + std::to_string(i) + "\n";
    }
    return text;
}

// How often text occurs in haystack.
inline std::size_t occurrences(const std::string& haystack, const std::string& text) {
    std::size_t count = 0;
    for (std::string::size_type at = haystack.find(text); at != std::string::npos; at = haystack.find(text, at + 1)) {
        ++count;
    }
    return count;
}

// The ends of the messages about other processes at work on a file.
inline constexpr char kOpenForWriting[] =
    "' is open for writing by another process; it was left as it was, so that nothing that process writes is lost.";
inline constexpr char kRewrittenElsewhere[] =
    "' is being rewritten (or held locked) by another process; it was left as it was.";
inline constexpr char kChangedMeanwhile[] =
    "' was opened for writing or changed by another process while it was rewritten; it was left as it was, so that "
    "nothing that process wrote is lost.";

#endif
