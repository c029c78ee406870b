#include "util/xml/XmlWriter.h"

#include "util/xml/XmlEscape.h"

#include <utility>

namespace ostrel::xml {

namespace {

void writeIndentation(std::ostream& out, int level) {
    for (int index = 0; index < level; ++index) {
        out << '\t';
    }
}

void writeAttributes(std::ostream& out, const XmlAttributeList& attributes) {
    for (const auto& [name, value] : attributes) {
        out << ' ' << name << "=\"" << escapeXml(value.c_str(), true) << '"';
    }
}

std::ostream& endLine(std::ostream& out) { return out << '\n' << std::flush; }

}  // namespace

std::ostream& writeXmlDeclaration(std::ostream& out, const std::string& encoding) {
    out << "<?xml version=\"1.0\"";
    if (!encoding.empty()) {
        out << " encoding=\"" << encoding << '"';
    }
    out << "?>";
    return endLine(out);
}

std::ostream& writeStartTag(std::ostream& out, int level, const std::string& name) {
    return writeStartTag(out, level, name, XmlAttributeList());
}

std::ostream& writeStartTag(std::ostream& out, int level, const std::string& name,
                            const XmlAttributeList& attributes) {
    writeIndentation(out, level);
    out << '<' << name;
    writeAttributes(out, attributes);
    out << '>';
    return endLine(out);
}

std::ostream& writeEmptyElement(std::ostream& out, int level, const std::string& name,
                                const XmlAttributeList& attributes) {
    writeIndentation(out, level);
    out << '<' << name;
    writeAttributes(out, attributes);
    out << " />";
    return endLine(out);
}

void writeTextElement(std::ostream& out, int level, const std::string& name, const std::string& text,
                      const XmlAttributeList& attributes) {
    writeIndentation(out, level);
    out << '<' << name;
    writeAttributes(out, attributes);
    out << '>' << escapeXml(text.c_str(), false) << "</" << name << '>';
    endLine(out);
}

EndTagWriter::EndTagWriter(std::ostream& out, int level, std::string name)
    : out_(out), level_(level), name_(std::move(name)) {}

EndTagWriter::~EndTagWriter() {
    try {
        writeIndentation(out_, level_);
        out_ << "</" << name_ << '>';
        endLine(out_);
    } catch (...) {
        // Only a stream with exceptions switched on throws here, and it has
        // set its failure state before throwing; a destructor must not throw
        // (it may run during unwinding), so the stream's state carries it.
    }
    name_.clear();
}

}  // namespace ostrel::xml
