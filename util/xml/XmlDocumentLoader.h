#ifndef OSTREL_XML_XMLDOCUMENTLOADER_H
#define OSTREL_XML_XMLDOCUMENTLOADER_H

#include "util/xml/DOMDocumentPtr.h"

#include <string>

namespace ostrel::xml {

// Loads the XML file at path (ParsedDocument::parse). Returns the document
// handle and leaves errorText empty; or returns a null handle with errorText
// saying why: "The input file \"" + path + "\" does not exist." for a
// missing file, "The input file \"" + path + "\" cannot be read. Reason: "
// + the system's reason + "." when its status cannot be queried (a loop of
// symbolic links, say), the parse error text (getParseErrorText) otherwise.
// Throws CrException when the XML platform cannot start, std::bad_alloc
// when memory runs out while it starts.
DOMDocumentPtr loadXmlDocument(const std::string& path, std::string& errorText, bool validate);

// The full report of a failed parse: prefix (if any) on its own line, the
// error text, then the warning text, without a trailing line break.
std::string getParseErrorText(const DOMDocumentPtr& document, const std::string& prefix);

}  // namespace ostrel::xml

#endif
