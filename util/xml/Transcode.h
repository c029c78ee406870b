#ifndef OSTREL_XML_TRANSCODE_H
#define OSTREL_XML_TRANSCODE_H

#include <xercesc/util/XercesDefs.hpp>

#include <cstddef>
#include <memory>
#include <string>

// Conversion between the program's 8-bit strings and the 16-bit strings of
// Xerces, always through the platform encoding (UTF-8), so every 8-bit text
// that comes out of the XML layer is UTF-8.
//
// REQUIRES: the XML platform is started (initializeXmlPlatform).
// Characters the target cannot represent are replaced, never rejected.
// Throws CrException (E_FAIL) when no transcoder can be made (the platform
// not started) or, for text coming in, when the bytes are not valid UTF-8.
namespace ostrel::xml {

using XmlString = std::basic_string<XMLCh>;

// The zero-terminated 16-bit text source (null reads as empty) as a new
// zero-terminated UTF-8 array owned by the caller.
std::unique_ptr<char[]> transcodeToUtf8Array(const XMLCh* source);

// The same as an 8-bit string; empty for a null source.
std::string transcodeToUtf8(const XMLCh* source);

// count UTF-8 bytes (embedded zeros are converted like any byte) as a new
// zero-terminated 16-bit array owned by the caller.
std::unique_ptr<XMLCh[]> transcodeFromUtf8Array(const char* characters, std::size_t count);

// The whole of text (its length taken from the string) as a 16-bit string;
// the result ends at the first zero unit, as Xerces reads it.
XmlString transcodeFromUtf8(const std::string& text);

}  // namespace ostrel::xml

#endif
