#ifndef OSTREL_XML_SIMPLENAMESPACERESOLVER_H
#define OSTREL_XML_SIMPLENAMESPACERESOLVER_H

#include <xalanc/PlatformSupport/PrefixResolver.hpp>
#include <xalanc/XalanDOM/XalanDOMString.hpp>

#include <map>
#include <memory>
#include <string>

namespace ostrel {

// Resolves the namespace prefixes of an XPath expression from a fixed map of
// prefix to namespace URI (both UTF-8). A prefix that is not in the map has
// no namespace, which makes Xalan reject the expression.
class SimpleNamespaceResolver final : public xalanc::PrefixResolver {
public:
    explicit SimpleNamespaceResolver(const std::map<std::string, std::string>& prefixes);
    ~SimpleNamespaceResolver() override;

    // The URI bound to prefix, owned by this resolver; null when unbound.
    const xalanc::XalanDOMString* getNamespaceForPrefix(const xalanc::XalanDOMString& prefix) const override;
    // The base URI: always empty.
    const xalanc::XalanDOMString& getURI() const override { return baseUri_; }

private:
    xalanc::XalanDOMString baseUri_;
    std::map<std::string, std::shared_ptr<const xalanc::XalanDOMString>> namespaces_;
};

}  // namespace ostrel

#endif
