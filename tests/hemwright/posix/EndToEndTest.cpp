// End-to-end runs that need what only POSIX systems have: names that are
// not UTF-8, FIFOs, address-space and CPU limits, immutable files, other
// users, symbolic links.
#include "tests/hemwright/EndToEndTest.h"
#include "tests/support/HostRunner.h"
#include "tests/support/InputDocument.h"
#include "tests/support/TestFiles.h"
#include "tests/support/posix/FileAttributes.h"
#include "tests/support/posix/LoopMount.h"
#include "tests/support/posix/PosixHostRunner.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using testing_support::listDirectory;
using testing_support::readBytes;
using testing_support::writeBytes;

namespace {

using testing_support::repeated;

TEST_F(EndToEndTest, WorkingDirectoryNamedInLatin1Works) {
    const std::string folder = work.file("caf\xE9");  // as an older server names it
    ASSERT_EQ(0, ::mkdir(folder.c_str(), 0755));
    writeBytes(folder + "/a.txt", "body");
    // The name is relative: the document itself is UTF-8 and cannot spell
    // the folder's Latin-1 byte.
    writeBytes(folder + "/input.xml", testing_support::inputDocument(element("DataToAppend", "string", "!"), {"a.txt"}));

    const testing_support::HostRun run = testing_support::runHost(HEMWRIGHT_EXECUTABLE, folder);
    EXPECT_EQ(0, run.exitStatus);
    EXPECT_EQ("body!", readBytes(folder + "/a.txt"));
}

// No writer: an open would wait forever.
TEST_F(EndToEndTest, FifoAsInputDocumentIsRefusedAtOnce) {
    ASSERT_EQ(0, ::mkfifo(work.file("input.xml").c_str(), 0644));
    expectInputDocumentRefusedAtOnce();
}

// The address space a run of a small, ordinary input.xml needs, measured
// once: the bound the expanding documents below get more than 64 MiB above.
std::int64_t addressSpaceOfAnOrdinaryRun() {
    static const std::int64_t bytes = [] {
        const testing_support::ScopedTempDir dir;
        writeBytes(dir.file("input.xml"),
                   testing_support::inputDocument(testing_support::dataElementXml("DataToPrepend", "string", "x"), {}));
        return testing_support::smallestAddressSpaceToSucceed(HEMWRIGHT_EXECUTABLE, dir.path());
    }();
    return bytes;
}

std::string withInternalSubset(const std::string& document, const std::string& subset) {
    std::string text = document;
    text.insert(text.find("<VellamorPlugin"), "<!DOCTYPE VellamorPlugin [" + subset + "]>\n");
    return text;
}

// A few kilobytes of entities once expanded to gigabytes and ran for many
// seconds; a chain of entities each referring to the next, many distinct
// names and many namespace declarations in scope took minutes (the chain
// gigabytes, and a small stack overflowed). Each document is refused with
// 1001 and the bound it passed, in less than a second of processor time, in
// less than 64 MiB of memory above what an ordinary run takes and the
// document's own size, and with a stack of 256 KiB (ulimit -s 256).
TEST_F(EndToEndTest, ExpandingDocumentEndsPromptlyWithLittleMemory) {
    if (!testing_support::kAddressSpaceCanBeBounded) {
        GTEST_SKIP() << "built with AddressSanitizer, which reserves terabytes of address space: no bound can be set";
    }
    const std::int64_t ordinary = addressSpaceOfAnOrdinaryRun();
    ASSERT_GT(ordinary, 0) << "hemwright does not run under 1 GiB of address space";
    const std::string entity = "<!ENTITY big \"" + repeated("A", 50000) + "\">";
    const std::string prefix = testing_support::dataElementXml("DataToPrepend", "string", "x");
    std::string chain;
    for (int index = 0; index < 9999; ++index) {
        chain += "<!ENTITY c" + std::to_string(index) + " \"t&c" + std::to_string(index + 1) + ";\">\n";
    }
    std::string names;
    for (int index = 0; index < 400000; ++index) {
        names += "<n" + std::to_string(index) + "/>";
    }
    std::string declarations;
    for (int index = 0; index < 999; ++index) {
        declarations += " xmlns:p" + std::to_string(index) + "=\"urn:x\"";
    }
    const char* const passes = "passes 1048576 characters";
    const struct {
        const char* what;
        std::string document;
        const char* reason;
    } cases[] = {
        {"content", withInternalSubset(testing_support::inputDocument(
                                           testing_support::dataElementXml("DataToPrepend", "string",
                                                                           repeated("&big;", 9000)),
                                           {}),
                                       entity),
         passes},
        {"attribute", withInternalSubset(testing_support::inputDocument(prefix, {}, "<Expanded a=\"" +
                                                                                        repeated("&big;", 9000) +
                                                                                        "\"/>\n"),
                                         entity),
         passes},
        {"attribute defaults", withInternalSubset(testing_support::inputDocument(prefix, {}, repeated("<D/>", 9000)),
                                                  "<!ATTLIST D d CDATA \"" + repeated("A", 50000) + "\">"),
         passes},
        {"a chain of 9,999 entities",
         withInternalSubset(testing_support::inputDocument(prefix, {}, "<x>&c0;</x>\n"),
                            chain + "<!ENTITY c9999 \"t\">"),
         "nests entities more than 32 levels deep"},
        {"400,000 distinct names", testing_support::inputDocument(prefix, {}, names), "past 10000"},
        {"200 elements of 999 namespace declarations",
         testing_support::inputDocument(prefix, {}, repeated("<x" + declarations + ">", 200) + repeated("</x>", 200)),
         "brings the namespace declarations in scope to 1998"},
    };
    for (const auto& c : cases) {
        writeBytes(work.file("input.xml"), c.document);
        testing_support::PosixHostOptions options;
        options.addressSpaceLimit = ordinary + static_cast<std::int64_t>(c.document.size()) + (64 << 20);
        options.cpuSecondsLimit = 1;
        options.stackLimit = 256 * 1024;
        const testing_support::HostRun run = testing_support::runHost(HEMWRIGHT_EXECUTABLE, work.path(), options);
        ASSERT_TRUE(run.exited) << c.what << ": ended by signal " << run.signalNumber;
        EXPECT_EQ(1001 & 0xFF, run.exitStatus) << c.what;
        EXPECT_NE(std::string::npos, output().find(c.reason)) << c.what << ": " << output();
    }
}

// An input.xml that cannot be given a new content (immutable; owned by
// another user in a sticky directory) keeps its mark and its bytes; the
// parser reads the mark, and the run succeeds.
TEST_F(EndToEndTest, InputDocumentThatCannotBeRewrittenIsReadWithItsMark) {
    writeBytes(work.file("a.txt"), "body");
    writeInput(element("DataToPrepend", "string", ">"), {"a.txt"}, "\xEF\xBB\xBF");
    const std::string original = readBytes(work.file("input.xml"));
    {
        const testing_support::ImmutableFile immutable(work.file("input.xml"));
        if (!immutable.made()) {
            GTEST_SKIP() << "input.xml cannot be made immutable here: " << immutable.refusal();
        }
        EXPECT_EQ(0, runHost().exitStatus);
        EXPECT_EQ(">body", readBytes(work.file("a.txt")));
        EXPECT_EQ(original, readBytes(work.file("input.xml")));
        EXPECT_EQ((std::vector<std::string>{"a.txt", "input.xml", "output.xml"}), listDirectory(work.path()));
    }

    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to run the program as nobody";
    }
    if (const std::string why = testing_support::whyOtherUsersCannotWorkIn(work.path()); !why.empty()) {
        GTEST_SKIP() << why;
    }
    ASSERT_EQ(0, ::chmod(work.path().c_str(), 01777));
    ASSERT_EQ(0, ::unlink(work.file("output.xml").c_str()));
    ASSERT_EQ(0, ::chown(work.file("a.txt").c_str(), 65534, 65534));
    testing_support::PosixHostOptions asNobody;
    asNobody.user = 65534;
    asNobody.group = 65534;
    const testing_support::HostRun run = testing_support::runHost(HEMWRIGHT_EXECUTABLE, work.path(), asNobody);
    EXPECT_EQ(0, run.exitStatus);
    EXPECT_EQ(">>body", readBytes(work.file("a.txt")));
    EXPECT_EQ(original, readBytes(work.file("input.xml")));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "input.xml", "output.xml"}), listDirectory(work.path()));
}

TEST_F(EndToEndTest, LoopOfSymbolicLinksAsInputDocumentGives1001WithTheReason) {
    ASSERT_EQ(0, ::symlink("input.xml", work.file("input.xml").c_str()));
    EXPECT_EQ(1001 & 0xFF, runHost().exitStatus);
    EXPECT_EQ(document("\t\t<Log Severity=\"Error\">The input file \"input.xml\" cannot be read. Reason: " +
                       std::string(std::strerror(ELOOP)) + ".</Log>\n"),
              output());
}

// A document at the structural bounds at once (elements 1,000 levels deep,
// 32 of them from a chain of entities, each holding the next) is read with
// a stack of 256 KiB (ulimit -s 256); one level deeper is refused.
TEST_F(EndToEndTest, DeepestDocumentIsReadWithA256KiBStack) {
    std::string chain;
    for (int index = 0; index < 32; ++index) {
        const std::string next = index < 31 ? "&e" + std::to_string(index + 1) + ";" : "";
        chain += "<!ENTITY e" + std::to_string(index) + " \"<q>" + next + "</q>\">\n";
    }
    // VellamorPlugin, PipelinePluginInput, the b elements and the chain's q.
    const auto deepest = [&](int levels) {
        const std::string b = repeated("<b>", levels - 2 - 32) + "&e0;" + repeated("</b>", levels - 2 - 32);
        return withInternalSubset(testing_support::inputDocument("", {}, b + "\n"), chain);
    };
    testing_support::PosixHostOptions smallStack;
    smallStack.stackLimit = 256 * 1024;
    writeBytes(work.file("input.xml"), deepest(1000));
    EXPECT_EQ(0, testing_support::runHost(HEMWRIGHT_EXECUTABLE, work.path(), smallStack).exitStatus) << output();
    writeBytes(work.file("input.xml"), deepest(1001));
    EXPECT_EQ(testing_support::exitCodeSeenByHost(1001),
              testing_support::runHost(HEMWRIGHT_EXECUTABLE, work.path(), smallStack).exitStatus);
    EXPECT_NE(std::string::npos, output().find("is nested more than 1000 levels deep")) << output();
}

// A mount with grpid gives every new file its directory's group, whoever
// creates it: a replaced file and input.xml whose mark is removed still keep
// their own group and mode (a root:root file in a directory of group 1000
// would otherwise become readable by that group).
TEST_F(EndToEndTest, ReplacedFilesKeepTheirGroupOnAGrpidMount) {
    const testing_support::LoopMount mount("grpid");
    if (!mount.made()) {
        GTEST_SKIP() << mount.refusal();
    }
    const std::string directory = mount.path() + "/work";
    ASSERT_EQ(0, ::mkdir(directory.c_str(), 0777));
    ASSERT_EQ(0, ::chown(directory.c_str(), 0, 1000));
    const std::string file = directory + "/a.txt";
    const std::string input = directory + "/input.xml";
    writeBytes(file, "body");
    writeBytes(input, "\xEF\xBB\xBF" + testing_support::inputDocument(element("DataToPrepend", "string", ">"), {file}));
    for (const auto& [path, mode] : {std::pair<std::string, mode_t>{file, 0660}, {input, 0640}}) {
        ASSERT_EQ(0, ::chown(path.c_str(), 0, 0));
        ASSERT_EQ(0, ::chmod(path.c_str(), mode));
    }
    EXPECT_EQ(0, testing_support::runHost(HEMWRIGHT_EXECUTABLE, directory).exitStatus);
    EXPECT_EQ(">body", readBytes(file));
    EXPECT_NE('\xEF', readBytes(input).front()) << "the mark was not removed";
    for (const auto& [path, mode] : {std::pair<std::string, mode_t>{file, 0660}, {input, 0640}}) {
        struct stat info {};
        ASSERT_EQ(0, ::stat(path.c_str(), &info));
        EXPECT_EQ(0u, info.st_gid) << path;
        EXPECT_EQ(mode, info.st_mode & 07777) << path;
    }
}

}  // namespace

namespace {

// On Linux "/" begins a path, not an option; the help names the manual pages.
TEST_F(EndToEndTest, PosixArgumentsFollowPosixConventions) {
    expectArgumentCases({
        {{"/x"}, 0, "", ignoredArgument("/x"), true},
        {{"--help"}, 0, "Manual: man hemwright", "", false},
    });
}

}  // namespace
