// What the loader does with what only POSIX systems have: '\' as a
// character of a name, loops of symbolic links, FIFOs, names that are not
// UTF-8.
#include "tests/util/xml/XmlDocumentLoaderTest.h"
#include "util/xml/DOMElementPtr.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace ostrel::xml {
namespace {

using testing_support::readBytes;
using testing_support::writeBytes;

// On POSIX systems '\' is an ordinary character of a name: d/a\b.xml is
// read, rid of its mark and reported as named, and d/a/b.xml is left alone.
TEST_F(XmlDocumentLoaderTest, BackslashIsPartOfTheFileName) {
    ASSERT_EQ(0, ::mkdir(dir_.file("d").c_str(), 0755));
    ASSERT_EQ(0, ::mkdir(dir_.file("d/a").c_str(), 0755));
    writeBytes(dir_.file("d/a/b.xml"), "\xEF\xBB\xBF<other/>");
    const DOMDocumentPtr document = load("d/a\\b.xml", "\xEF\xBB\xBF<named/>");
    ASSERT_EQ("", errorText_);
    EXPECT_FALSE(DOMElementPtr(document.selectSingleNode("named")).isNull());
    EXPECT_EQ(dir_.file("d/a\\b.xml"), document.getPath());
    EXPECT_EQ("<named/>", readBytes(dir_.file("d/a\\b.xml")));
    EXPECT_EQ("\xEF\xBB\xBF<other/>", readBytes(dir_.file("d/a/b.xml")));

    EXPECT_TRUE(load("d/a\\bad.xml", "<r>").isNull());
    EXPECT_EQ("Fatal SAX error: input ended before all started tags were ended; last tag started is 'r'\n\nXML file: " +
                  dir_.file("d/a\\bad.xml"),
              errorText_);
}

// What cannot be read is named with the system's reason, never thrown.
TEST_F(XmlDocumentLoaderTest, UnreadableFileIsReportedWithTheSystemsReason) {
    ASSERT_EQ(0, ::symlink("loop.xml", dir_.file("loop.xml").c_str()));
    std::string errorText;
    EXPECT_TRUE(loadXmlDocument(dir_.file("loop.xml"), errorText, false).isNull());
    EXPECT_EQ("The input file \"" + dir_.file("loop.xml") + "\" cannot be read. Reason: " + std::strerror(ELOOP) + ".",
              errorText);
}

// No writer: an open would wait forever.
TEST_F(XmlDocumentLoaderTest, FifoIsRefusedWithoutWaitingForAWriter) {
    ASSERT_EQ(0, ::mkfifo(dir_.file("fifo.xml").c_str(), 0644));
    expectRefusedAsNoRegularFile("fifo.xml");
}

TEST_F(XmlDocumentLoaderTest, PathNeedNotBeUtf8) {
    const std::string folder = dir_.file("caf\xE9");  // Latin-1, as on an older server
    ASSERT_EQ(0, ::mkdir(folder.c_str(), 0755));
    writeBytes(folder + "/input.xml", "<r>\xC3\xA9</r>");
    std::string errorText;
    const DOMDocumentPtr document = loadXmlDocument(folder + "/input.xml", errorText, false);
    ASSERT_EQ("", errorText);
    EXPECT_EQ("\xC3\xA9", DOMElementPtr(document.selectSingleNode("r")).getText());
    // Messages name the path as given.
    writeBytes(folder + "/bad.xml", "<r>");
    EXPECT_TRUE(loadXmlDocument(folder + "/bad.xml", errorText, false).isNull());
    EXPECT_EQ("Fatal SAX error: input ended before all started tags were ended; last tag started is 'r'\n\nXML file: " +
                  folder + "/bad.xml",
              errorText);
}

}  // namespace
}  // namespace ostrel::xml
