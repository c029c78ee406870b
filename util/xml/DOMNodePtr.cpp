#include "util/xml/DOMNodePtr.h"

#include "util/xml/CrXmlException.h"
#include "util/xml/StandardOutOfMemory.h"
#include "util/xml/SimpleNamespaceResolver.h"
#include "util/xml/Transcode.h"
#include "util/xml/XPathContext.h"

#include <xalanc/Include/XalanMemoryManagement.hpp>
#include <xalanc/PlatformSupport/XSLException.hpp>
#include <xalanc/XPath/NodeRefList.hpp>
#include <xalanc/XPath/XPathEvaluator.hpp>
#include <xalanc/XercesParserLiaison/XercesDOMSupport.hpp>
#include <xalanc/XercesParserLiaison/XercesParserLiaison.hpp>

#include <new>
#include <vector>

namespace ostrel::xml {

namespace {

// The objects one evaluation needs; they live for one query only. The DOM
// support refers to the liaison, which therefore lives as long.
class XPathEvaluation {
public:
    XPathEvaluation(const ParsedDocument::PrefixMap& prefixes, const std::string& expression)
        : memoryManager_(xalanc::XalanMemMgrs::getDefaultXercesMemMgr()),
          evaluator_(memoryManager_),
          liaison_(memoryManager_),
          support_(liaison_),
          resolver_(prefixes),
          expression_(transcodeFromUtf8(expression).c_str(), memoryManager_) {}

    xalanc::XalanNode* selectSingleNode(xalanc::XalanNode* context) {
        return evaluator_.selectSingleNode(support_, context, expression_.c_str(), resolver_);
    }

    std::shared_ptr<xalanc::NodeRefList> selectNodeList(xalanc::XalanNode* context) {
        auto result = std::make_shared<xalanc::NodeRefList>(memoryManager_);
        evaluator_.selectNodeList(*result, support_, context, expression_.c_str(), resolver_);
        return result;
    }

private:
    xalanc::MemoryManager& memoryManager_;
    xalanc::XPathEvaluator evaluator_;
    xalanc::XercesParserLiaison liaison_;
    xalanc::XercesDOMSupport support_;
    SimpleNamespaceResolver resolver_;
    xalanc::XalanDOMString expression_;
};

// Collects the values of the text and CDATA children of node in document
// order; an entity reference stands for its replacement, so its children
// count as the node's own. Elements, comments and processing instructions
// add nothing.
void collectCharacterContent(const xercesc::DOMNode& node, std::vector<const XMLCh*>& pieces) {
    for (const xercesc::DOMNode* child = node.getFirstChild(); child != nullptr; child = child->getNextSibling()) {
        switch (child->getNodeType()) {
        case xercesc::DOMNode::TEXT_NODE:
        case xercesc::DOMNode::CDATA_SECTION_NODE:
            pieces.push_back(child->getNodeValue());
            break;
        case xercesc::DOMNode::ENTITY_REFERENCE_NODE:
            collectCharacterContent(*child, pieces);
            break;
        default:
            break;
        }
    }
}

std::string characterContent(const xercesc::DOMNode& element) {
    std::vector<const XMLCh*> pieces;
    collectCharacterContent(element, pieces);
    if (pieces.size() == 1) {
        // The usual case, and the one a very long value takes: no copy.
        return transcodeToUtf8(pieces.front());
    }
    XmlString content;
    for (const XMLCh* piece : pieces) {
        content += piece;
    }
    return transcodeToUtf8(content.c_str());
}

std::string invalidExpressionText(const std::string& expression, const xalanc::XSLException& exception) {
    return "The XPath expression \"" + expression + "\" is not valid. " +
           transcodeToUtf8(exception.getMessage().c_str());
}

std::string notInParsedDocumentText(const std::string& query) {
    return query + " The context node does not belong to a parsed document.";
}

// Runs select over a fresh evaluation of expression and turns what the
// libraries throw into this library's failures: an invalid expression into
// a CrXmlException that says why, memory running out into std::bad_alloc,
// anything else into a CrXmlException with unknownFailure.
template <typename Select>
auto evaluateXPath(const ParsedDocument::PrefixMap& prefixes, const std::string& expression,
                   const std::string& unknownFailure, Select select) {
    try {
        XPathEvaluation evaluation(prefixes, expression);
        return select(evaluation);
    } catch (const xalanc::XSLException& exception) {
        throw CrXmlException(invalidExpressionText(expression, exception));
    } catch (const xercesc::OutOfMemoryException&) {
        throw std::bad_alloc();
    } catch (const std::bad_alloc&) {
        throw;
    } catch (...) {
        throw CrXmlException(unknownFailure);
    }
}

}  // namespace

DOMNodePtr::DOMNodePtr(xercesc::DOMNode* node, ParsedDocumentRef document)
    : ComparablePtr(node), document_(std::move(document)) {}

bool DOMNodePtr::isSameNode(const DOMNodePtr& other) const {
    if (get() == other.get()) {
        return true;
    }
    if (get() == nullptr || other.get() == nullptr) {
        return false;
    }
    return get()->isSameNode(other.get());
}

int DOMNodePtr::getNodeType() const {
    return get() == nullptr ? 0 : static_cast<int>(get()->getNodeType());
}

std::string DOMNodePtr::getNodeValue() const {
    return get() == nullptr ? std::string() : transcodeToUtf8(get()->getNodeValue());
}

std::string DOMNodePtr::getText() const {
    switch (getNodeType()) {
    case xercesc::DOMNode::ELEMENT_NODE:
        return characterContent(*get());
    case xercesc::DOMNode::ATTRIBUTE_NODE:
    case xercesc::DOMNode::TEXT_NODE:
    case xercesc::DOMNode::CDATA_SECTION_NODE:
    case xercesc::DOMNode::PROCESSING_INSTRUCTION_NODE:
    case xercesc::DOMNode::COMMENT_NODE:
        return getNodeValue();
    default:
        return std::string();
    }
}

DOMNodeListPtr DOMNodePtr::getChildNodes() const {
    return get() == nullptr ? DOMNodeListPtr() : DOMNodeListPtr(get()->getChildNodes(), document_);
}

void DOMNodePtr::addNamespace(const std::string& prefix, const std::string& namespaceUri) {
    if (document_ && document_->getDocument() != nullptr) {
        document_->getPrefixes()[prefix] = namespaceUri;
    }
}

DOMNodePtr DOMNodePtr::selectSingleNode(const std::string& expression) const {
    if (isNull()) {
        return DOMNodePtr();
    }
    const std::string query = "Failed to select single node using XPath query '" + expression + "'.";
    const XPathContext context = prepareXPathContext(
        *this, {query + " The context node does not have an owner document and it is not itself a document.",
                notInParsedDocumentText(query)});
    xalanc::XalanNode* const found = evaluateXPath(
        document_->getPrefixes(), expression,
        "The XPath expression \"" + expression + "\" is probably not valid (unknown exception in selectSingleNode)",
        [&context](XPathEvaluation& evaluation) { return evaluation.selectSingleNode(context.node); });
    if (found == nullptr) {
        return DOMNodePtr();
    }
    // The wrapper leads back to the DOM nodes it was built over.
    return DOMNodePtr(const_cast<xercesc::DOMNode*>(context.wrapper->mapNode(found)), document_);
}

DOMNodeListPtr DOMNodePtr::selectNodeList(const std::string& expression) const {
    if (isNull()) {
        return DOMNodeListPtr();
    }
    const std::string query = "Failed to select nodes using XPath query '" + expression + "'.";
    const XPathContext context = prepareXPathContext(
        *this, {query + " The context node does not have an owner document.", notInParsedDocumentText(query)});
    std::shared_ptr<xalanc::NodeRefList> result = evaluateXPath(
        document_->getPrefixes(), expression,
        "The XPath expression \"" + expression + "\" is probably not valid (unknown exception).",
        [&context](XPathEvaluation& evaluation) { return evaluation.selectNodeList(context.node); });
    return DOMNodeListPtr(context.wrapper, std::move(result), document_);
}

}  // namespace ostrel::xml
