#include "util/xml/SimpleSAXHandler.h"

#include "util/xml/Transcode.h"

#include <xercesc/sax/SAXParseException.hpp>

#include <cstdint>
#include <limits>

namespace ostrel::xml {

namespace {

// Positions are kept as 32-bit numbers; a file longer than that reports the
// largest one rather than a wrapped, negative one.
std::int32_t toPosition(XMLFileLoc position) {
    constexpr XMLFileLoc kLargest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(position > kLargest ? kLargest : position);
}

void addTo(ParseMessageList& list, const xercesc::SAXParseException& exception) {
    list.add(transcodeToUtf8(exception.getSystemId()), toPosition(exception.getLineNumber()),
             toPosition(exception.getColumnNumber()), transcodeToUtf8(exception.getMessage()));
}

}  // namespace

SimpleSAXHandler::~SimpleSAXHandler() = default;

void SimpleSAXHandler::warning(const xercesc::SAXParseException& exception) {
    addTo(warnings_, exception);
}

void SimpleSAXHandler::error(const xercesc::SAXParseException& exception) {
    addTo(errors_, exception);
}

void SimpleSAXHandler::resetErrors() {
    errors_.clear();
    warnings_.clear();
}

}  // namespace ostrel::xml
