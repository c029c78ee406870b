#include "util/xml/FileHandleInputSource.h"

#include "util/CrException.h"
#include "util/ErrorResolver.h"
#include "util/platform/Platform.h"
#include "util/xml/Transcode.h"

#include <xercesc/util/BinInputStream.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLExceptMsgs.hpp>

#include <utility>

namespace ostrel::xml {

namespace {

// The path as 16-bit text for the parser; a name that is not UTF-8 is
// widened byte by byte, since it only serves in messages.
XmlString systemIdentifier(const std::string& path) {
    try {
        return transcodeFromUtf8(path);
    } catch (const CrException&) {
        XmlString widened;
        for (const char byte : path) {
            widened += static_cast<XMLCh>(static_cast<unsigned char>(byte));
        }
        return widened;
    }
}

class FileHandleStream final : public xercesc::BinInputStream {
public:
    FileHandleStream(platform::FileHandle& file, const XMLCh* systemId, xercesc::MemoryManager* manager)
        : file_(file), systemId_(systemId), manager_(manager) {}

    XMLFilePos curPos() const override { return position_; }

    XMLSize_t readBytes(XMLByte* toFill, const XMLSize_t maxToRead) override {
        const std::int64_t count = file_.readSome(reinterpret_cast<char*>(toFill), maxToRead);
        if (count < 0) {
            const std::string reason = lastSystemErrorText();
            const XmlString detail = XmlString(systemId_) + systemIdentifier(". Reason: " + reason);
            ThrowXMLwithMemMgr1(xercesc::XMLPlatformUtilsException, xercesc::XMLExcepts::File_CouldNotReadFromFile,
                                detail.c_str(), manager_);
        }
        position_ += static_cast<XMLFilePos>(count);
        return static_cast<XMLSize_t>(count);
    }

    const XMLCh* getContentType() const override { return nullptr; }

private:
    platform::FileHandle& file_;
    const XMLCh* systemId_;
    xercesc::MemoryManager* manager_;
    XMLFilePos position_ = 0;
};

}  // namespace

FileHandleInputSource::FileHandleInputSource(platform::FileHandle file, const std::string& systemId)
    : InputSource(systemIdentifier(systemId).c_str()), file_(std::move(file)) {}

xercesc::BinInputStream* FileHandleInputSource::makeStream() const {
    if (!file_.isOpen()) {
        return nullptr;
    }
    return new (getMemoryManager()) FileHandleStream(file_, getSystemId(), getMemoryManager());
}

}  // namespace ostrel::xml
