#include "step/RunLog.h"

#include "util/CrException.h"
#include "util/xml/Transcode.h"
#include "util/xml/XmlPlatform.h"

#include <boost/filesystem.hpp>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/HandlerBase.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLException.hpp>

using ostrel::xml::transcodeToUtf8;

namespace {

// The first child element of parent with the given name, or null.
const xercesc::DOMElement* childElement(const xercesc::DOMNode* parent, const std::string& name) {
    for (const xercesc::DOMNode* child = parent->getFirstChild(); child != nullptr;
         child = child->getNextSibling()) {
        if (child->getNodeType() == xercesc::DOMNode::ELEMENT_NODE && transcodeToUtf8(child->getNodeName()) == name) {
            return static_cast<const xercesc::DOMElement*>(child);
        }
    }
    return nullptr;
}

RunLog unreadable(const std::string& problem) {
    RunLog log;
    log.state = RunLog::State::Unreadable;
    log.problem = problem;
    return log;
}

RunLog readParsed(const xercesc::DOMDocument* document) {
    const xercesc::DOMElement* root = document->getDocumentElement();
    if (root == nullptr || transcodeToUtf8(root->getNodeName()) != "VellamorPlugin") {
        return unreadable("the root element is not \"VellamorPlugin\".");
    }
    const xercesc::DOMElement* output = childElement(root, "PipelinePluginOutput");
    if (output == nullptr) {
        return unreadable("there is no \"PipelinePluginOutput\" element.");
    }
    RunLog log;
    const xercesc::DOMElement* message = childElement(output, "Log");
    if (message == nullptr) {
        log.state = RunLog::State::NoMessage;
        return log;
    }
    log.state = RunLog::State::Message;
    const ostrel::xml::XmlString severityName = ostrel::xml::transcodeFromUtf8("Severity");
    log.severity = transcodeToUtf8(message->getAttribute(severityName.c_str()));
    log.message = transcodeToUtf8(message->getTextContent());
    return log;
}

}  // namespace

RunLog readRunLog(const std::string& path) {
    boost::system::error_code error;
    if (!boost::filesystem::exists(path, error)) return RunLog();
    try {
        ostrel::xml::initializeXmlPlatform();
        xercesc::XercesDOMParser parser;
        parser.setValidationScheme(xercesc::XercesDOMParser::Val_Never);
        parser.setDoNamespaces(false);
        parser.setLoadExternalDTD(false);
        parser.setDisableDefaultEntityResolution(true);
        xercesc::SecurityManager limits;
        parser.setSecurityManager(&limits);
        // HandlerBase throws every fatal error (each well-formedness fault),
        // which stops the parse and carries the position of the fault.
        xercesc::HandlerBase errors;
        parser.setErrorHandler(&errors);
        parser.parse(path.c_str());
        return readParsed(parser.getDocument());
    } catch (const xercesc::SAXParseException& fault) {
        return unreadable("line " + std::to_string(fault.getLineNumber()) + ", column " +
                          std::to_string(fault.getColumnNumber()) + ": " + transcodeToUtf8(fault.getMessage()));
    } catch (const xercesc::XMLException& fault) {
        return unreadable(transcodeToUtf8(fault.getMessage()));
    } catch (const xercesc::DOMException& fault) {
        return unreadable(transcodeToUtf8(fault.getMessage()));
    } catch (const ostrel::CrException& fault) {
        return unreadable(fault.getMessage());
    }
}
