// The input.xml hemwright-step writes, read back with the XML parser as
// hemwright reads it: every text must arrive byte for byte, line breaks and
// markup characters included, as one text node.
#include "tests/step/StepCommand.h"

#include "util/xml/Transcode.h"
#include "util/xml/XmlPlatform.h"

#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/HandlerBase.hpp>

#include <map>

using ostrel::xml::transcodeFromUtf8;
using ostrel::xml::transcodeToUtf8;
using step_testing::StepResult;
using step_testing::StepTest;
using testing_support::readBytes;

namespace {

struct ParsedInput {
    std::map<std::string, std::string> values;  // data element name -> its text
    std::map<std::string, std::string> types;
    std::vector<std::string> files;
};

std::string attribute(const xercesc::DOMElement* element, const char* name) {
    return transcodeToUtf8(element->getAttribute(transcodeFromUtf8(name).c_str()));
}

ParsedInput parseInput(const std::string& path) {
    ostrel::xml::initializeXmlPlatform();
    xercesc::XercesDOMParser parser;
    xercesc::HandlerBase errors;
    parser.setErrorHandler(&errors);
    parser.parse(path.c_str());
    const xercesc::DOMDocument* document = parser.getDocument();
    ParsedInput input;
    xercesc::DOMNodeList* elements = document->getElementsByTagName(transcodeFromUtf8("DataElement").c_str());
    for (XMLSize_t i = 0; i < elements->getLength(); ++i) {
        const auto* element = static_cast<const xercesc::DOMElement*>(elements->item(i));
        const xercesc::DOMNode* text = element->getFirstChild();
        const std::string name = attribute(element, "Name");
        input.values[name] = text != nullptr ? transcodeToUtf8(text->getNodeValue()) : "";
        input.types[name] = attribute(element, "Type");
        // The tool writes each value as one escaped text, never in pieces.
        EXPECT_TRUE(text == nullptr || text->getNextSibling() == nullptr) << name;
    }
    xercesc::DOMNodeList* files = document->getElementsByTagName(transcodeFromUtf8("File").c_str());
    for (XMLSize_t i = 0; i < files->getLength(); ++i) {
        input.files.push_back(attribute(static_cast<const xercesc::DOMElement*>(files->item(i)), "Name"));
    }
    return input;
}

class StepInputDocumentTest : public StepTest {
protected:
    // Runs with --keep and returns the kept working directory.
    std::string runKept(std::vector<std::string> arguments,
                        const step_testing::StepLaunch& launch = step_testing::StepLaunch()) {
        arguments.insert(arguments.begin(), "--keep");
        const StepResult result = run(arguments, launch);
        const std::vector<std::string> left = leftWorkingDirectories();
        EXPECT_EQ(1u, left.size()) << result.standardOutput << result.standardError;
        if (left.size() != 1) return "";
        const std::string directory = temporary.file(left[0]);
        EXPECT_EQ(0u, result.standardOutput.find("working directory (kept): " + directory + "\n"))
            << result.standardOutput;
        return directory;
    }
};

TEST_F(StepInputDocumentTest, TextsSurviveParsingByteForByte) {
    const std::string prefix = "a\r\nb\rc\nd\te & <f> \"g\" 'h' ]]> \xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    const std::string suffix = "\r\n\r\n";
    dataFile("suffix.txt", suffix);
    const std::string file = dataFile("f.txt", "x");

    const std::string directory =
        runKept({"--prepend", prefix, "--append-file", data.file("suffix.txt"), "--line-break-style", "Mac",
                 "--add-line-break", file});
    ASSERT_FALSE(directory.empty());

    const ParsedInput input = parseInput(directory + "/input.xml");
    EXPECT_EQ(prefix, input.values.at("DataToPrepend"));
    EXPECT_EQ(suffix, input.values.at("DataToAppend"));
    EXPECT_EQ("Mac", input.values.at("LineBreakStyle"));
    EXPECT_EQ("true", input.values.at("AddLineBreak"));
    EXPECT_EQ("bool", input.types.at("AddLineBreak"));
    EXPECT_EQ("string", input.types.at("DataToPrepend"));
    EXPECT_EQ(std::vector<std::string>{file}, input.files);
}

TEST_F(StepInputDocumentTest, OnlyGivenParametersAreSentAndEmptyTextsStaySet) {
    const std::string file = dataFile("f.txt", "x");
    const std::string directory = runKept({"--prepend", "", file});
    ASSERT_FALSE(directory.empty());
    const ParsedInput input = parseInput(directory + "/input.xml");
    EXPECT_EQ((std::map<std::string, std::string>{{"DataToPrepend", ""}}), input.values);
}

TEST_F(StepInputDocumentTest, FilesAreSentAsAbsolutePathsInOrder) {
    const std::string odd = dataFile("a & \"b\"\t<c>.txt", "x");
    const std::string plain = dataFile("plain.txt", "y");
    // A relative name is resolved against the tool's current directory, not
    // the working directory hemwright runs in.
    const std::string relative = dataFile("relative-name.txt", "r");
    step_testing::StepLaunch inData;
    inData.workDirectory = data.path();
    const std::string directory = runKept({"--append", "z", odd, plain, "relative-name.txt"}, inData);
    ASSERT_FALSE(directory.empty());
    const ParsedInput input = parseInput(directory + "/input.xml");
    EXPECT_EQ((std::vector<std::string>{odd, plain, relative}), input.files);
}

}  // namespace
