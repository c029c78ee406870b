#include "util/xml/DOMDocumentPtr.h"

#include <memory>

namespace ostrel::xml {

bool DOMDocumentPtr::parseFile(const std::string& path) {
    auto record = std::make_unique<ParsedDocument>();
    if (!record->parse(path, validate_, false, false)) {
        errorText_ = record->getErrorText();
        warningText_ = record->getWarningText();
        return false;
    }
    path_ = path;
    warningText_ = record->getWarningText();
    xercesc::DOMDocument* document = record->getDocument();
    // From here on the handles' count owns the record.
    document_ = ParsedDocumentRef(record.release());
    reset(document);
    return true;
}

}  // namespace ostrel::xml
