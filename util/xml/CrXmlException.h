#ifndef OSTREL_XML_CRXMLEXCEPTION_H
#define OSTREL_XML_CRXMLEXCEPTION_H

#include "util/CrException.h"

#include <string>
#include <utility>

namespace ostrel::xml {

// Raised by the DOM handles and XPath queries; always carries E_FAIL. Callers
// catch it, where at all, as CrException.
class CrXmlException : public CrException {
public:
    explicit CrXmlException(std::string message) : CrException(std::move(message), E_FAIL) {}
};

}  // namespace ostrel::xml

#endif
