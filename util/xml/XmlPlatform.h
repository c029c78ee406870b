#ifndef OSTREL_XML_XMLPLATFORM_H
#define OSTREL_XML_XMLPLATFORM_H

#include <xercesc/util/XercesDefs.hpp>

// Process-wide start-up of the two XML libraries (Xerces-C for parsing and
// transcoding, Xalan-C for XPath). The libraries are started lazily, once,
// and stay started until the process ends: nothing ever terminates them.
namespace ostrel::xml {

// Starts Xerces and then Xalan if they are not yet started; safe to call
// from several threads (start-up is serialised by one mutex) and cheap once
// both are running.
// Throws CrException (E_FAIL):
//   "Internal Error: Failed to initialize XML Platform (Xerces). " + reason
//     (also when Xerces panics: it never ends the process itself)
//   "Internal Error: Failed to initialize XPathEvaluator (Xalan)."
// or std::bad_alloc when memory runs out. A failed start-up is final: every
// later call throws the same failure again.
void initializeXmlPlatform();

// The encoding every transcoding between 8-bit strings and Xerces strings
// uses: "UTF-8" once Xerces is started, the empty string before. Never null;
// the text lives as long as the process.
const XMLCh* platformEncoding();

}  // namespace ostrel::xml

#endif
