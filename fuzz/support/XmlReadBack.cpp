#include "XmlReadBack.h"

#include "FuzzCheck.h"
#include "Utf8Decode.h"
#include "util/xml/Transcode.h"

#include <xercesc/dom/DOMNode.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/sax/SAXParseException.hpp>

#include <cstdint>

namespace fuzz {

namespace {

using ostrel::xml::transcodeFromUtf8;
using ostrel::xml::transcodeToUtf8;

// Keeps the first error; warnings do not make a document malformed.
class FirstErrorHandler final : public xercesc::ErrorHandler {
public:
    void warning(const xercesc::SAXParseException&) override {}
    void error(const xercesc::SAXParseException& exception) override { record(exception); }
    void fatalError(const xercesc::SAXParseException& exception) override { record(exception); }
    void resetErrors() override { message_.clear(); }
    const std::string& message() const { return message_; }

private:
    void record(const xercesc::SAXParseException& exception) {
        if (message_.empty()) {
            message_ = "line " + std::to_string(exception.getLineNumber()) + " column " +
                       std::to_string(exception.getColumnNumber()) + ": " +
                       transcodeToUtf8(exception.getMessage());
        }
    }

    std::string message_;
};

bool isXmlCharacter(std::uint32_t codePoint) {
    return codePoint == 0x9 || codePoint == 0xA || codePoint == 0xD || (codePoint >= 0x20 && codePoint <= 0xD7FF) ||
           (codePoint >= 0xE000 && codePoint <= 0xFFFD) || (codePoint >= 0x10000 && codePoint <= 0x10FFFF);
}

bool isDroppedControl(unsigned char byte) { return byte >= 1 && byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r'; }

std::string withoutNonCharacters(const std::string& text) {
    std::string kept;
    std::size_t index = 0;
    while (index < text.size()) {
        std::uint32_t codePoint = 0;
        const std::size_t length = decodeUtf8(text, index, codePoint);
        const std::size_t step = length == 0 ? 1 : length;
        if (length == 0 || (codePoint != 0xFFFE && codePoint != 0xFFFF)) {
            kept.append(text, index, step);
        }
        index += step;
    }
    return kept;
}

}  // namespace

ParsedBytes::ParsedBytes(const std::string& bytes) : parser_(std::make_unique<xercesc::XercesDOMParser>()) {
    parser_->setValidationScheme(xercesc::XercesDOMParser::Val_Never);
    parser_->setDoNamespaces(false);
    parser_->setLoadExternalDTD(false);
    parser_->setDisableDefaultEntityResolution(true);
    parser_->setCreateEntityReferenceNodes(false);
    FirstErrorHandler errors;
    parser_->setErrorHandler(&errors);
    xercesc::MemBufInputSource source(reinterpret_cast<const XMLByte*>(bytes.data()), bytes.size(),
                                      "fuzz-read-back", false);
    parser_->parse(source);
    parser_->setErrorHandler(nullptr);
    if (!errors.message().empty() || parser_->getDocument() == nullptr ||
        parser_->getDocument()->getDocumentElement() == nullptr) {
        failProperty("the written document is not well formed (" + errors.message() + "): " + quoteBytes(bytes));
    }
}

ParsedBytes::~ParsedBytes() = default;

xercesc::DOMElement& ParsedBytes::root() const { return *parser_->getDocument()->getDocumentElement(); }

std::vector<xercesc::DOMElement*> childElements(const xercesc::DOMElement& parent, const char* name) {
    std::vector<xercesc::DOMElement*> found;
    const std::string wanted(name);
    for (xercesc::DOMNode* child = parent.getFirstChild(); child != nullptr; child = child->getNextSibling()) {
        if (child->getNodeType() == xercesc::DOMNode::ELEMENT_NODE && transcodeToUtf8(child->getNodeName()) == wanted) {
            found.push_back(static_cast<xercesc::DOMElement*>(child));
        }
    }
    return found;
}

std::string attributeText(const xercesc::DOMElement& element, const char* name) {
    return transcodeToUtf8(element.getAttribute(transcodeFromUtf8(name).c_str()));
}

bool hasAttribute(const xercesc::DOMElement& element, const char* name) {
    return element.getAttributeNode(transcodeFromUtf8(name).c_str()) != nullptr;
}

std::string elementText(const xercesc::DOMElement& element) { return transcodeToUtf8(element.getTextContent()); }

bool isWritableUtf8(const std::string& text) {
    std::size_t index = 0;
    while (index < text.size()) {
        std::uint32_t codePoint = 0;
        const std::size_t length = decodeUtf8(text, index, codePoint);
        if (length == 0) {
            return false;
        }
        const bool removedByWriter = isDroppedControl(static_cast<unsigned char>(text[index])) ||
                                     codePoint == 0xFFFE || codePoint == 0xFFFF;
        if (!removedByWriter && !isXmlCharacter(codePoint)) {
            return false;
        }
        index += length;
    }
    return true;
}

std::string withoutControlCharacters(std::string text) {
    std::string kept;
    for (const char character : text) {
        if (!isDroppedControl(static_cast<unsigned char>(character))) {
            kept += character;
        }
    }
    return kept;
}

std::string expectedReadBack(const std::string& text) {
    return withoutControlCharacters(withoutNonCharacters(text));
}

}  // namespace fuzz
