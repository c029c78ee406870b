#include "util/xml/Transcode.h"

#include "util/CrException.h"
#include "util/xml/StandardOutOfMemory.h"
#include "util/xml/XmlPlatform.h"

#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/TransService.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLString.hpp>

namespace ostrel::xml {

namespace {

constexpr XMLSize_t kMinimumBlockSize = 4096;

// Xerces refuses to transcode more units per call than the block size the
// transcoder was made with, so long texts get a block that holds them.
XMLSize_t blockSizeFor(XMLSize_t count) {
    return count <= kMinimumBlockSize ? kMinimumBlockSize : ((count / 1024) + 1) * 1024;
}

std::unique_ptr<xercesc::XMLTranscoder> makeTranscoder(XMLSize_t count) {
    xercesc::XMLTransService* service = xercesc::XMLPlatformUtils::fgTransService;
    xercesc::XMLTranscoder* transcoder = nullptr;
    if (service != nullptr) {
        xercesc::XMLTransService::Codes result = xercesc::XMLTransService::Ok;
        transcoder = service->makeNewTranscoderFor(platformEncoding(), result, blockSizeFor(count),
                                                   xercesc::XMLPlatformUtils::fgMemoryManager);
    }
    if (transcoder == nullptr) {
        throw CrException("Internal Error: Failed to create a transcoder for the XML platform encoding.", E_FAIL);
    }
    return std::unique_ptr<xercesc::XMLTranscoder>(transcoder);
}

// The exception's message without going through a transcoder: the failure
// may be the transcoder's own. Non-ASCII characters become question marks.
std::string asciiMessage(const xercesc::XMLException& exception) {
    std::string text;
    for (const XMLCh* unit = exception.getMessage(); unit != nullptr && *unit != 0; ++unit) {
        text += *unit < 0x80 ? static_cast<char>(*unit) : '?';
    }
    return text;
}

std::unique_ptr<char[]> toUtf8(const XMLCh* source) {
    const XMLSize_t count = source == nullptr ? 0 : xercesc::XMLString::stringLen(source);
    auto transcoder = makeTranscoder(count);
    // Three bytes per unit cover every character: those outside the basic
    // plane take four bytes but two units.
    std::unique_ptr<char[]> target(new char[count * 3 + 1]);
    XMLSize_t written = 0;
    if (count > 0) {
        XMLSize_t eaten = 0;
        try {
            written = transcoder->transcodeTo(source, count, reinterpret_cast<XMLByte*>(target.get()), count * 3,
                                              eaten, xercesc::XMLTranscoder::UnRep_RepChar);
        } catch (const xercesc::XMLException& exception) {
            throw CrException("Failed to transcode text to UTF-8. Reason: " + asciiMessage(exception), E_FAIL);
        }
    }
    target[written] = '\0';
    return target;
}

std::unique_ptr<XMLCh[]> fromUtf8(const char* characters, std::size_t count) {
    auto transcoder = makeTranscoder(count);
    std::unique_ptr<XMLCh[]> target(new XMLCh[count + 1]);
    XMLSize_t produced = 0;
    if (count > 0) {
        std::unique_ptr<unsigned char[]> sizes(new unsigned char[count]);
        XMLSize_t eaten = 0;
        try {
            produced = transcoder->transcodeFrom(reinterpret_cast<const XMLByte*>(characters), count, target.get(),
                                                 count, eaten, sizes.get());
        } catch (const xercesc::XMLException& exception) {
            throw CrException("Failed to transcode text from UTF-8. Reason: " + asciiMessage(exception), E_FAIL);
        }
        // The transcoder stops quietly at a byte sequence that is not UTF-8;
        // handing on the part before it would silently lose the rest.
        if (eaten < count) {
            throw CrException("Failed to transcode text from UTF-8. Reason: The text is not valid UTF-8 after byte " +
                                  std::to_string(eaten) + ".",
                              E_FAIL);
        }
    }
    target[produced] = 0;
    return target;
}

}  // namespace

// The transcoder and its buffers come from the Xerces memory manager, whose
// out-of-memory exception callers above the XML layer do not know.
std::unique_ptr<char[]> transcodeToUtf8Array(const XMLCh* source) {
    return withStandardOutOfMemory([source] { return toUtf8(source); });
}

std::string transcodeToUtf8(const XMLCh* source) {
    if (source == nullptr) {
        return std::string();
    }
    return std::string(transcodeToUtf8Array(source).get());
}

std::unique_ptr<XMLCh[]> transcodeFromUtf8Array(const char* characters, std::size_t count) {
    return withStandardOutOfMemory([characters, count] { return fromUtf8(characters, count); });
}

XmlString transcodeFromUtf8(const std::string& text) {
    auto units = transcodeFromUtf8Array(text.data(), text.size());
    return XmlString(units.get());
}

}  // namespace ostrel::xml
