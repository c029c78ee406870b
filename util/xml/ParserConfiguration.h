#ifndef OSTREL_XML_PARSERCONFIGURATION_H
#define OSTREL_XML_PARSERCONFIGURATION_H

#include "util/xml/BoundedDOMParser.h"

#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/InputSource.hpp>

#include <string>

namespace ostrel::xml {

// Sets up a parser for one file. With validate, the document is validated
// against the grammar it carries (DTD or schema); without, it is only
// checked for well-formedness. Namespaces are always processed.
//
// Whatever the flags, the parser never reads anything outside the file
// itself: external entities and external DTD subsets are refused (a
// document that needs one fails with "unable to open ..."), so a document
// cannot pull local files or network resources into its content. The parser
// bounds entity expansion and structure itself (BoundedDOMParser).
void configureParser(BoundedDOMParser& parser, bool validate, bool createCommentNodes,
                     bool includeIgnorableWhitespace);

// Parses the document of source. Returns true when the parser returned;
// otherwise sets errorText to a description of what it raised, ending in
// "\n\nXML file: " + path (the document's path, for the message), and
// returns false. Never throws.
bool runParser(xercesc::XercesDOMParser& parser, const xercesc::InputSource& source, const std::string& path,
               std::string& errorText);

}  // namespace ostrel::xml

#endif
