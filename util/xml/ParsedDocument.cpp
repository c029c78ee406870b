#include "util/xml/ParsedDocument.h"

#include "util/Strings.h"
#include "util/xml/ByteOrderMark.h"
#include "util/xml/ParserConfiguration.h"
#include "util/xml/SimpleSAXHandler.h"
#include "util/xml/XmlPlatform.h"

#include <xalanc/XercesParserLiaison/XercesDocumentWrapper.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/util/PlatformUtils.hpp>

namespace ostrel::xml {

ParsedDocument::ParsedDocument() : prefixes_{{"xml", "http://www.w3.org/XML/1998/namespace"}} {}

ParsedDocument::~ParsedDocument() {
    releaseDocument();
}

void ParsedDocument::releaseDocument() {
    // The wrapper refers to the DOM nodes, so it goes first.
    xpathWrapper_.reset();
    if (document_ != nullptr) {
        document_->release();
        document_ = nullptr;
    }
    referenceCount_ = 0;
}

void ParsedDocument::retain() {
    if (document_ != nullptr) {
        ++referenceCount_;
    }
}

void ParsedDocument::release() {
    if (document_ == nullptr) {
        return;
    }
    if (--referenceCount_ == 0) {
        delete this;
    }
}

bool ParsedDocument::parse(const std::string& path, bool validate, bool createCommentNodes,
                           bool includeIgnorableWhitespace) {
    releaseDocument();
    initializeXmlPlatform();

    xercesc::XercesDOMParser parser(nullptr, xercesc::XMLPlatformUtils::fgMemoryManager, nullptr);
    SimpleSAXHandler handler;
    parser.setErrorHandler(&handler);
    configureParser(parser, validate, createCommentNodes, includeIgnorableWhitespace);

    // Paths may come with Windows separators; the parser and every message
    // see forward slashes.
    std::string normalizedPath = path;
    replaceCharacter(normalizedPath, '\\', '/');
    removeByteOrderMark(normalizedPath);

    if (!runParser(parser, normalizedPath, errorText_)) {
        return false;
    }
    if (handler.hasErrors()) {
        errorText_ = handler.getErrorText();
        warningText_ = handler.getWarningText();
        return false;
    }
    // Warnings of an accepted file are not reported.
    document_ = parser.adoptDocument();
    return true;
}

void intrusive_ptr_add_ref(ParsedDocument* document) {
    document->retain();
}

void intrusive_ptr_release(ParsedDocument* document) {
    document->release();
}

}  // namespace ostrel::xml
