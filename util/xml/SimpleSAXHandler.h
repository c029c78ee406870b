#ifndef OSTREL_XML_SIMPLESAXHANDLER_H
#define OSTREL_XML_SIMPLESAXHANDLER_H

#include "util/xml/ParseMessageList.h"

#include <xercesc/sax/HandlerBase.hpp>

#include <string>

namespace ostrel::xml {

// The error handler of a parse: collects errors and warnings with their
// positions and source excerpts instead of stopping at the first one. A
// fatal error still ends the parse: fatalError raises the exception it is
// given, as HandlerBase does. Document, DTD and entity callbacks keep the
// HandlerBase defaults.
class SimpleSAXHandler : public xercesc::HandlerBase {
public:
    SimpleSAXHandler() = default;
    ~SimpleSAXHandler() override;
    SimpleSAXHandler(const SimpleSAXHandler&) = delete;
    SimpleSAXHandler& operator=(const SimpleSAXHandler&) = delete;

    // Throw CrException when the source's file status cannot be queried.
    void warning(const xercesc::SAXParseException& exception) override;
    void error(const xercesc::SAXParseException& exception) override;
    // Called by the parser at the start of every parse.
    void resetErrors() override;

    bool hasErrors() const { return errors_.hasMessages(); }
    std::string getErrorText() const { return errors_.getText("error"); }
    std::string getWarningText() const { return warnings_.getText("warning"); }

private:
    ParseMessageList errors_;
    ParseMessageList warnings_;
};

}  // namespace ostrel::xml

#endif
