#include "util/xml/XmlPlatform.h"

#include "util/CrException.h"

#include <xalanc/Include/XalanMemoryManagement.hpp>
#include <xalanc/PlatformSupport/XSLException.hpp>
#include <xalanc/XPath/XPathEvaluator.hpp>
#include <xalanc/XalanTransformer/XalanTransformer.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLUni.hpp>

#include <atomic>
#include <mutex>
#include <string>

namespace ostrel::xml {

namespace {

// Guards the two flags and the encoding name below; they are touched only
// under it.
std::mutex startUpMutex;
bool xercesStarted = false;
bool xalanStarted = false;

const XMLCh kUtf8Name[] = {u'U', u'T', u'F', u'-', u'8', 0};
const XMLCh kNoEncoding[] = {0};
std::atomic<const XMLCh*> currentEncoding{kNoEncoding};

// The message of a failed start-up. The transcoding service may be the very
// thing that failed to start, so only ASCII is taken over, anything else
// becomes a question mark.
std::string asciiText(const XMLCh* text) {
    std::string result;
    for (; text != nullptr && *text != 0; ++text) {
        result += *text < 0x80 ? static_cast<char>(*text) : '?';
    }
    return result;
}

void startXerces() {
    xercesc::XMLPlatformUtils::Initialize(xercesc::XMLUni::fgXercescDefaultLocale, nullptr, nullptr, nullptr);
    currentEncoding = kUtf8Name;
    xercesStarted = true;
}

void startXalan() {
    xercesc::MemoryManager& memoryManager = xalanc::XalanMemMgrs::getDefaultXercesMemMgr();
    xalanc::XalanTransformer::initialize(memoryManager);
    xalanc::XPathEvaluator::initialize(memoryManager);
    xalanStarted = true;
}

}  // namespace

void initializeXmlPlatform() {
    std::lock_guard<std::mutex> lock(startUpMutex);
    try {
        if (!xercesStarted) {
            startXerces();
        }
        if (!xalanStarted) {
            startXalan();
        }
    } catch (const xercesc::XMLException& exception) {
        throw CrException(
            "Internal Error: Failed to initialize XML Platform (Xerces). " + asciiText(exception.getMessage()),
            E_FAIL);
    } catch (const xalanc::XSLException&) {
        throw CrException("Internal Error: Failed to initialize XPathEvaluator (Xalan).", E_FAIL);
    }
}

const XMLCh* platformEncoding() {
    return currentEncoding;
}

}  // namespace ostrel::xml
