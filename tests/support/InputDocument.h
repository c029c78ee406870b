#ifndef HEMWRIGHT_TESTS_SUPPORT_INPUTDOCUMENT_H
#define HEMWRIGHT_TESTS_SUPPORT_INPUTDOCUMENT_H

#include <cstddef>
#include <string>
#include <vector>

// Builders for the input.xml the host writes, for tests that run the
// executable. Texts are inserted as given: callers escape what needs it.
namespace testing_support {

// One <DataElement> line.
std::string dataElementXml(const std::string& name, const std::string& type, const std::string& value);

// A complete input.xml with the given <DataElement> lines and one <File> per
// path, in order; extraInput goes into <PipelinePluginInput> before the data
// elements, prolog in front of the XML declaration (a byte-order mark, say).
std::string inputDocument(const std::string& dataElements, const std::vector<std::string>& paths,
                          const std::string& extraInput = "", const std::string& prolog = "");

// piece, count times over: large or deeply nested documents.
std::string repeated(const std::string& piece, std::size_t count);

}  // namespace testing_support

#endif
