#include "util/xml/XmlPlatform.h"

#include "util/CrException.h"
#include "util/MemoryReserve.h"

#include <xalanc/Include/XalanMemoryManagement.hpp>
#include <xalanc/PlatformSupport/XSLException.hpp>
#include <xalanc/XPath/XPathEvaluator.hpp>
#include <xalanc/XalanTransformer/XalanTransformer.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PanicHandler.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLUni.hpp>

#include <atomic>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <new>
#include <string>

namespace ostrel::xml {

namespace {

// Guards the two flags and the encoding name below; they are touched only
// under it.
std::mutex startUpMutex;
bool xercesStarted = false;
bool xalanStarted = false;
std::exception_ptr startUpFailure;

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

// Xerces's own panic handler ends the process (exit code 255) when start-up
// fails, as it does when memory runs out while Xerces builds its static
// data. The host is to see a documented exit code instead, so the panic
// becomes the start-up's failure; the reserve goes first, because memory may
// be what is missing for the exception.
class FailingPanicHandler final : public xercesc::PanicHandler {
public:
    void panic(const PanicReasons reason) override {
        releaseMemoryReserve();
        // Xerces has no text for the failure of its static data, which is
        // what running out of memory while it starts gives.
        const std::string why = reason == Panic_AllStaticInitErr
                                    ? "Its static data could not be built; memory may have run out."
                                    : getPanicReasonString(reason);
        throw CrException("Internal Error: Failed to initialize XML Platform (Xerces). " + why, E_FAIL);
    }
};

void startXerces() {
    static FailingPanicHandler panicHandler;
    xercesc::XMLPlatformUtils::Initialize(xercesc::XMLUni::fgXercescDefaultLocale, nullptr, &panicHandler, nullptr);
    currentEncoding = kUtf8Name;
    xercesStarted = true;
}

// Room Xalan's start-up must find free. When memory runs out in the middle
// of it, Xalan's own undoing of the half-made start crashes (a segmentation
// fault in XPathEnvSupportDefault::updateFunctionTable), so it is started
// only when this much can be had at once; its start-up takes well under it.
constexpr std::size_t kXalanStartUpRoom = std::size_t(4) << 20;

void startXalan() {
    void* room = std::malloc(kXalanStartUpRoom);
    if (room == nullptr) {
        throw CrException("Internal Error: Failed to initialize XPathEvaluator (Xalan). Not enough memory to start it.",
                          E_FAIL);
    }
    std::free(room);
    xercesc::MemoryManager& memoryManager = xalanc::XalanMemMgrs::getDefaultXercesMemMgr();
    xalanc::XalanTransformer::initialize(memoryManager);
    xalanc::XPathEvaluator::initialize(memoryManager);
    xalanStarted = true;
}

}  // namespace

void initializeXmlPlatform() {
    std::lock_guard<std::mutex> lock(startUpMutex);
    // A library that failed to start is left as it is: Xerces counts a
    // failed start as a start and would not try again.
    if (startUpFailure) {
        std::rethrow_exception(startUpFailure);
    }
    try {
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
        } catch (const xercesc::OutOfMemoryException&) {
            throw std::bad_alloc();
        }
    } catch (...) {
        startUpFailure = std::current_exception();
        throw;
    }
}

const XMLCh* platformEncoding() {
    return currentEncoding;
}

}  // namespace ostrel::xml
