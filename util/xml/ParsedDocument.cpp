#include "util/xml/ParsedDocument.h"

#include "util/ErrorResolver.h"
#include "util/platform/FileHandle.h"
#include "util/platform/Platform.h"
#include "util/xml/BoundedDOMParser.h"
#include "util/xml/ByteOrderMark.h"
#include "util/xml/FileHandleInputSource.h"
#include "util/xml/ParserConfiguration.h"
#include "util/xml/SimpleSAXHandler.h"
#include "util/xml/XmlPlatform.h"

#include <xalanc/XercesParserLiaison/XercesDocumentWrapper.hpp>

#include <utility>

namespace ostrel::xml {

namespace {

std::string notRegularFileText(const std::string& path) {
    return "The input file \"" + path +
           "\" is not a regular file; a directory, FIFO, device or socket cannot be read as an XML document.";
}

std::string missingFileText(const std::string& path) { return "The input file \"" + path + "\" does not exist."; }

// Read right after the failing call.
std::string unreadableFileText(const std::string& path) {
    return "The input file \"" + path +
           "\" cannot be read. Reason: " + asSentence(lastSystemErrorText());
}

// The path as the parser and every message see it: each character that
// separates path components here is written as '/'. Only where '\\'
// separates (Windows) does it change; on POSIX systems it is an ordinary
// character of a name, and the file is read under the name it was given.
std::string withForwardSlashes(const std::string& path) {
    std::string normalized = path;
    for (char& character : normalized) {
        if (platform::isPathSeparator(character)) {
            character = '/';
        }
    }
    return normalized;
}

}  // namespace

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

    BoundedDOMParser parser;
    SimpleSAXHandler handler;
    parser.setErrorHandler(&handler);
    configureParser(parser, validate, createCommentNodes, includeIgnorableWhitespace);

    const std::string normalizedPath = withForwardSlashes(path);
    // Leaves anything but a regular file alone, without waiting on it. A
    // mark that stays (the file cannot be rewritten) is read by the parser.
    removeByteOrderMark(normalizedPath);

    // The parser reads through a file opened here, never through the
    // name, so the path's encoding does not matter. Only a regular file holds
    // a document: a FIFO is never waited for, a device never read without
    // end.
    platform::FileHandle file;
    platform::FileAccess access;
    platform::FileExtent extent;
    switch (file.openForReading(normalizedPath, access, extent)) {
        case platform::OpenResult::Opened:
        case platform::OpenResult::ReadOnly:  // for replacements only; reading is fine
            break;
        case platform::OpenResult::NotRegularFile:
            errorText_ = notRegularFileText(normalizedPath);
            return false;
        case platform::OpenResult::NotFound:
            errorText_ = missingFileText(normalizedPath);
            return false;
        case platform::OpenResult::Failed:
            errorText_ = unreadableFileText(normalizedPath);
            return false;
    }
    const FileHandleInputSource source(std::move(file), normalizedPath);
    if (!runParser(parser, source, normalizedPath, errorText_)) {
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
