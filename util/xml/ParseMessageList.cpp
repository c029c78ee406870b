#include "util/xml/ParseMessageList.h"

#include "util/FileOperations.h"

namespace ostrel::xml {

namespace {

std::string formatMessage(const ParseMessage& message) {
    std::string text;
    if (message.line > 0) {
        text += "Line " + std::to_string(message.line) + ", Column " + std::to_string(message.column);
        if (!message.nearText.empty()) {
            text += " (near " + message.nearText + ")";
        }
    }
    if (!text.empty()) {
        text += "\n";
    }
    return text + message.message;
}

}  // namespace

void ParseMessageList::add(const std::string& source, std::int32_t line, std::int32_t column,
                           const std::string& message) {
    ParseMessage record;
    record.line = line;
    record.column = column;
    record.message = message;
    if (line > 0 && fileExists(source)) {
        record.nearText = sourceLines_.excerpt(source, line, column);
    }
    messages_[source].push_back(std::move(record));
}

bool ParseMessageList::hasMessages() const {
    for (const auto& entry : messages_) {
        if (!entry.second.empty()) {
            return true;
        }
    }
    return false;
}

std::string ParseMessageList::getText(const std::string& kind) const {
    std::string text;
    for (const auto& entry : messages_) {
        for (const ParseMessage& message : entry.second) {
            text += formatMessage(message) + "\n";
        }
        text += "\nParse " + kind + "(s) in: " + entry.first + "\n";
    }
    return text;
}

void ParseMessageList::clear() {
    messages_.clear();
    sourceLines_.clear();
}

}  // namespace ostrel::xml
