#include "util/xml/XPathContext.h"

#include "util/xml/CrXmlException.h"
#include "util/xml/StandardOutOfMemory.h"

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/util/PlatformUtils.hpp>

namespace ostrel::xml {

XPathContext prepareXPathContext(const DOMNodePtr& handle, const XPathContextFailures& failures) {
    xercesc::DOMNode* node = handle.get();
    const xercesc::DOMDocument* document = node->getOwnerDocument();
    const bool isDocumentNode = document == nullptr;
    if (isDocumentNode) {
        document = dynamic_cast<const xercesc::DOMDocument*>(node);
        if (document == nullptr) {
            throw CrXmlException(failures.noOwnerDocument);
        }
    }
    ParsedDocument* record = handle.getParsedDocument().get();
    if (record == nullptr || record->getDocument() != document) {
        throw CrXmlException(failures.noParsedDocument);
    }

    std::shared_ptr<xalanc::XercesDocumentWrapper>& wrapper = record->getXPathWrapper();
    if (!wrapper) {
        // Thread-safe and fully built, with the maps that lead back from the
        // wrapper's nodes to the DOM's.
        wrapper = withStandardOutOfMemory([document] {
            return std::make_shared<xalanc::XercesDocumentWrapper>(*xercesc::XMLPlatformUtils::fgMemoryManager,
                                                                   document, true, true, true);
        });
    }
    XPathContext context;
    context.wrapper = wrapper;
    context.node = isDocumentNode ? wrapper.get() : wrapper->mapNode(node);
    return context;
}

}  // namespace ostrel::xml
