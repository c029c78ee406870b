#ifndef HEMWRIGHT_TESTS_HEMWRIGHT_ENDTOENDTEST_H
#define HEMWRIGHT_TESTS_HEMWRIGHT_ENDTOENDTEST_H

#include "tests/support/HostRunner.h"
#include "tests/support/InputDocument.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

// The fixture of the end-to-end tests, portable (EndToEndTest.cpp) and
// POSIX-bound (posix/EndToEndTest.cpp): a fresh working directory, input.xml
// written as the host writes it, the program started there.
class EndToEndTest : public ::testing::Test {
protected:
    // Starts hemwright in the working directory, as the host does.
    testing_support::HostRun runHost() {
        const testing_support::HostRun run = testing_support::runHost(HEMWRIGHT_EXECUTABLE, work.path());
        EXPECT_TRUE(run.exited) << "hemwright did not exit normally";
        return run;
    }

    // An input.xml with the given data elements and files of the working
    // directory, named by their absolute paths as the host does.
    void writeInput(const std::string& dataElements, const std::vector<std::string>& names,
                    const std::string& prolog = "") {
        std::vector<std::string> paths;
        for (const std::string& name : names) {
            paths.push_back(work.file(name));
        }
        testing_support::writeBytes(
            work.file("input.xml"),
            testing_support::inputDocument(dataElements, paths, "  <Operation Name=\"Op\" Guid=\"g\" Id=\"5\"/>\n",
                                           prolog));
    }

    static std::string element(const std::string& name, const std::string& type, const std::string& value) {
        return testing_support::dataElementXml(name, type, value);
    }

    std::string output() { return testing_support::readBytes(work.file("output.xml")); }

    static std::string document(const std::string& body) {
        return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
               "<VellamorPlugin SpecVersion=\"1.0\">\n"
               "\t<PipelinePluginOutput SpecVersion=\"1.0\">\n" +
               body +
               "\t</PipelinePluginOutput>\n"
               "</VellamorPlugin>\n";
    }

    // Runs the program in the working directory, whose input.xml is no
    // regular file, and expects it refused with 1001 before it could wait
    // on it.
    void expectInputDocumentRefusedAtOnce() {
        testing_support::HostOptions options;
        options.timeout = std::chrono::seconds(10);
        const testing_support::HostRun run = testing_support::runHost(HEMWRIGHT_EXECUTABLE, work.path(), options);
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(testing_support::exitCodeSeenByHost(1001), run.exitStatus);
        EXPECT_EQ(document("\t\t<Log Severity=\"Error\">The input file \"input.xml\" is not a regular file; a "
                           "directory, FIFO, device or socket cannot be read as an XML document.</Log>\n"),
                  output());
    }

    testing_support::ScopedTempDir work;
};

#endif
