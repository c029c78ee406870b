#include "step/RunLog.h"

#include "util/CrException.h"
#include "util/platform/FileSystem.h"
#include "util/platform/Platform.h"
#include "util/xml/DOMElementPtr.h"
#include "util/xml/XmlDocumentLoader.h"

namespace xml = ostrel::xml;

namespace {

RunLog unreadable(const std::string& problem) {
    RunLog log;
    log.state = RunLog::State::Unreadable;
    log.problem = problem;
    return log;
}

}  // namespace

RunLog readRunLog(const std::string& path) {
    ostrel::platform::FileStatus status;
    if (ostrel::platform::fileSystem().queryStatus(path, status) == ostrel::platform::StatusResult::NotFound) return RunLog();
    try {
        std::string errorText;
        const xml::DOMDocumentPtr document = xml::loadXmlDocument(path, errorText, false);
        if (document.isNull()) return unreadable(errorText);
        const xml::DOMNodePtr output = document.selectSingleNode("/VellamorPlugin/PipelinePluginOutput");
        if (output.isNull()) {
            return unreadable("there is no \"PipelinePluginOutput\" element under a \"VellamorPlugin\" root.");
        }
        RunLog log;
        const xml::DOMElementPtr message = output.selectSingleNode("Log");
        if (message.isNull()) {
            log.state = RunLog::State::NoMessage;
            return log;
        }
        log.state = RunLog::State::Message;
        log.severity = message.getAttribute("Severity");
        log.message = message.getText();
        return log;
    } catch (const ostrel::CrException& fault) {
        return unreadable(fault.getMessage());
    }
}
