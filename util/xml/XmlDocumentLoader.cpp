#include "util/xml/XmlDocumentLoader.h"

#include "util/FileOperations.h"

namespace ostrel::xml {

namespace {

// The handle's own text, else the text of the document record it holds.
std::string reportPart(const std::string& handleText, const ParsedDocumentRef& record,
                       const std::string& (ParsedDocument::*recordText)() const) {
    if (!handleText.empty() || !record) {
        return handleText;
    }
    return ((*record).*recordText)();
}

}  // namespace

DOMDocumentPtr loadXmlDocument(const std::string& path, std::string& errorText, bool validate) {
    errorText.clear();
    if (!fileExists(path)) {
        errorText = "The input file \"" + path + "\" does not exist.";
        return DOMDocumentPtr();
    }
    DOMDocumentPtr document;
    document.setValidate(validate);
    if (!document.parseFile(path)) {
        errorText = getParseErrorText(document, std::string());
    }
    return document;
}

std::string getParseErrorText(const DOMDocumentPtr& document, const std::string& prefix) {
    std::string text = prefix;
    if (!text.empty()) {
        text += "\n";
    }
    const std::string errors =
        reportPart(document.getErrorText(), document.getParsedDocument(), &ParsedDocument::getErrorText);
    if (!errors.empty()) {
        text += errors + "\n";
    }
    text += reportPart(document.getWarningText(), document.getParsedDocument(), &ParsedDocument::getWarningText);
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

}  // namespace ostrel::xml
