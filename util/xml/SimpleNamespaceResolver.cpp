#include "util/xml/SimpleNamespaceResolver.h"

#include "util/xml/Transcode.h"

#include <xalanc/Include/XalanMemoryManagement.hpp>

namespace ostrel {

SimpleNamespaceResolver::SimpleNamespaceResolver(const std::map<std::string, std::string>& prefixes)
    : baseUri_(xalanc::XalanMemMgrs::getDefaultXercesMemMgr()) {
    for (const auto& entry : prefixes) {
        const xml::XmlString uri = xml::transcodeFromUtf8(entry.second);
        namespaces_[entry.first] = std::make_shared<const xalanc::XalanDOMString>(
            uri.c_str(), xalanc::XalanMemMgrs::getDefaultXercesMemMgr());
    }
}

SimpleNamespaceResolver::~SimpleNamespaceResolver() = default;

const xalanc::XalanDOMString* SimpleNamespaceResolver::getNamespaceForPrefix(
    const xalanc::XalanDOMString& prefix) const {
    const auto found = namespaces_.find(xml::transcodeToUtf8(prefix.c_str()));
    return found == namespaces_.end() ? nullptr : found->second.get();
}

}  // namespace ostrel
