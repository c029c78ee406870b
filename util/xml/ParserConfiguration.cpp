#include "util/xml/ParserConfiguration.h"

#include "util/CrException.h"
#include "util/xml/Transcode.h"

#include <xercesc/dom/DOMException.hpp>
#include <xercesc/sax/SAXException.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/XMLEntityResolver.hpp>
#include <xercesc/util/XMLException.hpp>

#include <exception>
#include <new>

namespace ostrel::xml {

namespace {

// Answers every request for an external entity or DTD with nothing. With the
// parser's own resolution disabled, the parser then reports the entity as
// unreadable instead of fetching it.
class RefusingEntityResolver final : public xercesc::XMLEntityResolver {
public:
    xercesc::InputSource* resolveEntity(xercesc::XMLResourceIdentifier*) override { return nullptr; }
};

RefusingEntityResolver& refusingResolver() {
    static RefusingEntityResolver resolver;
    return resolver;
}

// The exception's message; should the message itself not transcode, its
// ASCII characters still tell what happened, and nothing leaves runParser.
std::string messageText(const XMLCh* message) {
    try {
        return transcodeToUtf8(message);
    } catch (const CrException&) {
        std::string text;
        for (; message != nullptr && *message != 0; ++message) {
            text += *message < 0x80 ? static_cast<char>(*message) : '?';
        }
        return text;
    }
}

}  // namespace

void configureParser(BoundedDOMParser& parser, bool validate, bool createCommentNodes,
                     bool includeIgnorableWhitespace) {
    if (validate) {
        parser.setValidationScheme(xercesc::XercesDOMParser::Val_Always);
        parser.setIdentityConstraintChecking(false);
        parser.setValidationSchemaFullChecking(false);
    } else {
        parser.setValidationScheme(xercesc::XercesDOMParser::Val_Never);
    }
    parser.setLoadExternalDTD(false);
    parser.setDoSchema(validate);
    parser.setDoNamespaces(true);
    parser.setCreateCommentNodes(createCommentNodes);
    parser.setIncludeIgnorableWhitespace(includeIgnorableWhitespace);

    parser.setDisableDefaultEntityResolution(true);
    parser.setXMLEntityResolver(&refusingResolver());
}

bool runParser(xercesc::XercesDOMParser& parser, const xercesc::InputSource& source, const std::string& path,
               std::string& errorText) {
    const std::string tail = "\n\nXML file: " + path;
    try {
        parser.parse(source);
        return true;
    } catch (const xercesc::SAXException& exception) {
        errorText = "Fatal SAX error: " + messageText(exception.getMessage()) + tail;
    } catch (const xercesc::XMLException& exception) {
        errorText = "Fatal XML error: " + messageText(exception.getMessage()) + tail;
    } catch (const xercesc::DOMException& exception) {
        errorText = "Fatal DOM error: " + messageText(exception.getMessage()) + tail;
    } catch (const xercesc::OutOfMemoryException& exception) {
        errorText = "Out-of-memory: " + messageText(exception.getMessage()) + tail;
    } catch (const xercesc::XMemory&) {
        errorText = "General memory error (XMemory exception)" + tail;
    } catch (const std::bad_alloc& exception) {
        errorText = std::string("Out-of-memory error (std::bad_alloc): ") + exception.what() + tail;
    } catch (const std::exception& exception) {
        errorText = std::string("Unexpected std::exception; ") + exception.what() + tail;
    } catch (...) {
        errorText = "An unexpected exception was thrown while parsing the file \"" + path + "\".";
    }
    return false;
}

}  // namespace ostrel::xml
