#ifndef OSTREL_XML_PARSEDDOCUMENT_H
#define OSTREL_XML_PARSEDDOCUMENT_H

#include <boost/intrusive_ptr.hpp>
#include <xalanc/Include/PlatformDefinitions.hpp>
#include <xercesc/dom/DOMDocument.hpp>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace XALAN_CPP_NAMESPACE {
class XercesDocumentWrapper;
}

namespace ostrel::xml {

// One parsed XML file: the DOM document and what every handle into it
// shares (the namespace prefixes of XPath queries and the XPath wrapper).
//
// The record counts the handles that refer to it, but only while it holds a
// document: retain and release do nothing on a record without one, and such
// a record is deleted by its creator. When the last handle goes, the record
// releases the DOM and deletes itself. The count is a plain integer: handles
// of one document belong to one thread.
class ParsedDocument {
public:
    using PrefixMap = std::map<std::string, std::string>;

    // Count 0, no document, the one prefix "xml" bound to its reserved
    // namespace.
    ParsedDocument();
    ~ParsedDocument();
    ParsedDocument(const ParsedDocument&) = delete;
    ParsedDocument& operator=(const ParsedDocument&) = delete;

    // Parses the file at path into this record, first stripping a UTF-8
    // byte-order mark from the file itself where the file can be rewritten
    // (removeByteOrderMark; otherwise the parser reads the mark). The path
    // is taken as given, except that a character that separates path
    // components on this platform other than '/' (only '\\', on Windows) is
    // read, and reported, as '/'. Only a regular file is read, through a
    // descriptor (so the path may be in any byte encoding); anything else is
    // refused before it is opened for the parse. Nothing outside the file is
    // read: external entities and DTDs are refused; entity expansion,
    // element depth and attributes per element are bounded
    // (BoundedDOMParser). Returns true when the record now owns the new
    // document; false with the error text (and the warning text, for
    // collected errors) saying why: a file that cannot be opened is named
    // with the system's reason. A file with even one non-fatal error is
    // rejected; warnings never reject.
    // Throws CrException when the XML platform cannot start, std::bad_alloc
    // when memory runs out while it starts.
    // REQUIRES: no handle refers to this record (a held document is dropped).
    bool parse(const std::string& path, bool validate, bool createCommentNodes, bool includeIgnorableWhitespace);

    void retain();
    // Deletes this record when the count drops to 0.
    void release();
    std::int32_t getReferenceCount() const { return referenceCount_; }

    xercesc::DOMDocument* getDocument() const { return document_; }
    const std::string& getErrorText() const { return errorText_; }
    const std::string& getWarningText() const { return warningText_; }
    PrefixMap& getPrefixes() { return prefixes_; }

    // The XPath view of the document, built by the first query; shared with
    // the node lists that queries return.
    std::shared_ptr<xalanc::XercesDocumentWrapper>& getXPathWrapper() { return xpathWrapper_; }

private:
    void releaseDocument();

    std::int32_t referenceCount_ = 0;
    xercesc::DOMDocument* document_ = nullptr;
    PrefixMap prefixes_;
    std::string errorText_;
    std::string warningText_;
    std::shared_ptr<xalanc::XercesDocumentWrapper> xpathWrapper_;
};

// The reference that handles hold; boost::intrusive_ptr calls retain and
// release through these two.
using ParsedDocumentRef = boost::intrusive_ptr<ParsedDocument>;
void intrusive_ptr_add_ref(ParsedDocument* document);
void intrusive_ptr_release(ParsedDocument* document);

}  // namespace ostrel::xml

#endif
