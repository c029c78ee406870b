#include "util/xml/XmlDocumentLoader.h"

#include "util/ErrorResolver.h"
#include "util/platform/FileSystem.h"
#include "util/platform/Platform.h"

namespace ostrel::xml {

DOMDocumentPtr loadXmlDocument(const std::string& path, std::string& errorText, bool validate) {
    errorText.clear();
    // The name is looked up as given: on POSIX systems a '\' is part of a
    // name, never a separator.
    platform::FileStatus status;
    switch (platform::fileSystem().queryStatus(path, status)) {
        case platform::StatusResult::Found:
            break;
        case platform::StatusResult::NotFound:
            errorText = "The input file \"" + path + "\" does not exist.";
            return DOMDocumentPtr();
        case platform::StatusResult::Failed:
            // A loop of symbolic links, a directory that may not be searched.
            errorText = "The input file \"" + path + "\" cannot be read. Reason: " +
                        asSentence(lastSystemErrorText());
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
    // The handle's own texts come first; a handle that holds a parsed
    // document falls back on the texts of its record.
    const ParsedDocumentRef& record = document.getParsedDocument();
    std::string errors = document.getErrorText();
    if (errors.empty() && record) {
        errors = record->getErrorText();
    }
    std::string warnings = document.getWarningText();
    if (warnings.empty() && record) {
        warnings = record->getWarningText();
    }

    std::string text = prefix;
    if (!text.empty()) {
        text += "\n";
    }
    if (!errors.empty()) {
        text += errors + "\n";
    }
    text += warnings;
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

}  // namespace ostrel::xml
