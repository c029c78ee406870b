#ifndef HEMWRIGHT_TESTS_UTIL_XML_XMLDOCUMENTLOADERTEST_H
#define HEMWRIGHT_TESTS_UTIL_XML_XMLDOCUMENTLOADERTEST_H

#include "tests/support/TestFiles.h"
#include "util/xml/XmlDocumentLoader.h"

#include <gtest/gtest.h>

#include <string>

namespace ostrel::xml {

// The fixture of the loader's tests, portable (XmlDocumentLoaderTest.cpp)
// and POSIX-bound (posix/XmlDocumentLoaderTest.cpp): documents are written
// into a fresh directory and loaded from there.
class XmlDocumentLoaderTest : public ::testing::Test {
protected:
    // Writes content to name in the temporary directory and loads it.
    DOMDocumentPtr load(const std::string& name, const std::string& content, bool validate = false) {
        testing_support::writeBytes(dir_.file(name), content);
        errorText_ = "left over";
        return loadXmlDocument(dir_.file(name), errorText_, validate);
    }

    // The path of the entry name as the parser's messages name it.
    std::string named(const std::string& name) const { return testing_support::forwardSlashed(dir_.file(name)); }

    // Expects the entry name to be refused, unread, as no regular file.
    void expectRefusedAsNoRegularFile(const std::string& name) {
        std::string errorText;
        EXPECT_TRUE(loadXmlDocument(dir_.file(name), errorText, false).isNull()) << name;
        EXPECT_EQ("The input file \"" + named(name) +
                      "\" is not a regular file; a directory, FIFO, device or socket cannot be read as an XML document.",
                  errorText);
    }

    testing_support::ScopedTempDir dir_;
    std::string errorText_;
};

}  // namespace ostrel::xml

#endif
