#ifndef HEMWRIGHT_TESTS_HEMWRIGHT_ENDTOENDTEST_H
#define HEMWRIGHT_TESTS_HEMWRIGHT_ENDTOENDTEST_H

#include "tests/support/HostRunner.h"
#include "tests/support/InputDocument.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
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

    // A command line a person may type, and what it must lead to. With
    // runs false nothing may be touched: input.xml asks for a.txt to be
    // stamped, and it must stay as it was, with no output.xml written.
    struct ArgumentCase {
        std::vector<std::string> arguments;
        int exitStatus;
        std::string outputPart;  // a part of standard output ("" for none at all)
        std::string error;       // standard error, exactly
        bool runs;               // whether the step ran as the host would start it
    };

    void expectArgumentCases(const std::vector<ArgumentCase>& cases) {
        for (const ArgumentCase& entry : cases) {
            std::string line;
            for (const std::string& argument : entry.arguments) line += " '" + argument + "'";
            SCOPED_TRACE("arguments:" + line);
            testing_support::ScopedTempDir folder;
            const std::string file = folder.file("a.txt");
            testing_support::writeBytes(file, "body");
            testing_support::writeBytes(folder.file("input.xml"),
                                        testing_support::inputDocument(element("DataToPrepend", "string", "H"), {file}));
            testing_support::HostOptions options;
            options.arguments = entry.arguments;
            options.standardErrorFile = work.file("standard-error.txt");
            const testing_support::HostRun run = testing_support::runHost(HEMWRIGHT_EXECUTABLE, folder.path(), options);
            EXPECT_TRUE(run.exited);
            EXPECT_EQ(entry.exitStatus, run.exitStatus);
            const std::string output = withLineFeeds(run.standardOutput);
            if (entry.outputPart.empty() || entry.runs) {
                EXPECT_EQ("", output);
            } else {
                EXPECT_NE(std::string::npos, output.find(entry.outputPart)) << output;
            }
            EXPECT_EQ(entry.error, withLineFeeds(testing_support::readBytes(options.standardErrorFile)));
            EXPECT_EQ(entry.runs ? "Hbody" : "body", testing_support::readBytes(file));
            const std::vector<std::string> left = entry.runs
                                                      ? std::vector<std::string>{"a.txt", "input.xml", "output.xml"}
                                                      : std::vector<std::string>{"a.txt", "input.xml"};
            EXPECT_EQ(left, testing_support::listDirectory(folder.path()));
        }
    }

    // A console stream's text with CR LF (how Windows writes a line end to
    // one) read as LF.
    static std::string withLineFeeds(std::string text) {
        for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
            text.erase(at, 1);
        }
        return text;
    }

    // The texts hemwright answers a person with.
    static std::string unknownOption(const std::string& option) {
        return "hemwright: unknown option '" + option +
               "' (usage: hemwright [--help | --version]; the host starts it without arguments)\n";
    }
    static std::string ignoredArgument(const std::string& argument) {
        return "hemwright: ignoring the argument '" + argument +
               "': the host passes none, and everything is read from input.xml\n";
    }
    static constexpr const char* kHelpPart = "in a working\ndirectory that holds input.xml";
    static constexpr const char* kVersionPart = "\nLicensed under the Apache License, Version 2.0.\n";

    testing_support::ScopedTempDir work;
};

#endif
