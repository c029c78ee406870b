#ifndef OSTREL_XML_DOMDOCUMENTPTR_H
#define OSTREL_XML_DOMDOCUMENTPTR_H

#include "util/xml/DOMNodePtr.h"

#include <string>

namespace ostrel::xml {

// A handle on the document node of a parsed file, with the settings and the
// outcome of its parse.
class DOMDocumentPtr : public DOMNodePtr {
public:
    DOMDocumentPtr() = default;

    // Parses the file at path (see ParsedDocument::parse) with this handle's
    // validate flag, without comment nodes and ignorable white space. On
    // success the handle points at the new document (releasing any it held)
    // and remembers path; on failure the handle is unchanged except for the
    // error and warning texts, and false is returned.
    // Throws CrException when the XML platform cannot start or a byte-order
    // mark cannot be removed.
    bool parseFile(const std::string& path);

    bool getValidate() const { return validate_; }
    void setValidate(bool validate) { validate_ = validate; }
    const std::string& getErrorText() const { return errorText_; }
    const std::string& getWarningText() const { return warningText_; }
    const std::string& getPath() const { return path_; }

private:
    bool validate_ = false;
    std::string errorText_;
    std::string warningText_;
    std::string path_;
};

}  // namespace ostrel::xml

#endif
