#ifndef OSTREL_XML_PARSEMESSAGELIST_H
#define OSTREL_XML_PARSEMESSAGELIST_H

#include "util/xml/SourceLineReader.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace ostrel::xml {

// One error or warning the parser reported.
struct ParseMessage {
    std::int32_t line = 0;
    std::int32_t column = 0;
    std::string nearText;  // an excerpt of the source line, may be empty
    std::string message;
};

// The messages of one kind collected during a parse, grouped by the source
// (system identifier) they came from, in order of arrival.
class ParseMessageList {
public:
    // Records a message; a source that names an existing file and a positive
    // line get a near text from the source line.
    // Throws CrException when the file status cannot be queried.
    void add(const std::string& source, std::int32_t line, std::int32_t column, const std::string& message);

    bool hasMessages() const;

    // Every message as "Line L, Column C (near T)\n" + message + "\n" (the
    // position part only for a positive line, the near part only when there
    // is a near text), each source closed by "\nParse " + kind + "(s) in: " +
    // source + "\n". Empty when there are no messages.
    std::string getText(const std::string& kind) const;

    // Drops every message and closes every source file.
    void clear();

private:
    std::map<std::string, std::vector<ParseMessage>> messages_;
    SourceLineReader sourceLines_;
};

}  // namespace ostrel::xml

#endif
