#include "util/xml/SourceLineReader.h"

#include "util/Strings.h"

#include <cstring>

namespace ostrel::xml {

namespace {

constexpr std::int32_t kColumnsBefore = 128;
constexpr std::size_t kExcerptLength = 128;
constexpr int kSkipChunkSize = 512;
constexpr int kExcerptChunkSize = 256;

}  // namespace

bool SourceLineReader::positionOnLine(OpenFile& file, std::int32_t line) {
    if (!file.stream || line <= 0) {
        return false;
    }
    std::FILE* stream = file.stream.get();
    if (line < file.currentLine) {
        std::rewind(stream);
        file.currentLine = 1;
    }
    char chunk[kSkipChunkSize];
    while (file.currentLine != line) {
        if (std::fgets(chunk, sizeof chunk, stream) == nullptr) {
            return file.currentLine >= line;
        }
        const std::size_t length = std::strlen(chunk);
        if (length > 0 && chunk[length - 1] == '\n') {
            ++file.currentLine;
        }
    }
    return true;
}

std::string SourceLineReader::excerpt(const std::string& path, std::int32_t line, std::int32_t column) {
    auto found = files_.find(path);
    if (found == files_.end()) {
        OpenFile file;
        file.stream.reset(std::fopen(path.c_str(), "rb"));
        found = files_.emplace(path, std::move(file)).first;
    }
    OpenFile& file = found->second;
    if (!positionOnLine(file, line)) {
        return std::string();
    }
    std::FILE* stream = file.stream.get();
    std::fpos_t lineStart;
    if (std::fgetpos(stream, &lineStart) != 0) {
        return std::string();
    }
    if (column > kColumnsBefore && std::fseek(stream, static_cast<long>(column - kColumnsBefore), SEEK_CUR) != 0) {
        return std::string();
    }
    char chunk[kExcerptChunkSize];
    const bool read = std::fgets(chunk, sizeof chunk, stream) != nullptr;
    // The next message of this file starts from the line start again.
    std::fsetpos(stream, &lineStart);
    if (!read) {
        return std::string();
    }
    std::string text = trimCharacters(chunk, " \t\n\r");
    if (text.size() > kExcerptLength) {
        const std::size_t cut = (text.size() - kExcerptLength) / 2;
        text = text.substr(cut, text.size() - 2 * cut);
    }
    return text;
}

}  // namespace ostrel::xml
