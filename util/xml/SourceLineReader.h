#ifndef OSTREL_XML_SOURCELINEREADER_H
#define OSTREL_XML_SOURCELINEREADER_H

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace ostrel::xml {

// Reads short excerpts of source lines for parse messages ("near" texts).
// Files are opened on first use and kept open, positioned at the start of
// the line last asked for, so messages that arrive in line order cost one
// pass over the file. Lines are counted by line feeds, columns by bytes.
class SourceLineReader {
public:
    SourceLineReader() = default;
    ~SourceLineReader() = default;
    SourceLineReader(const SourceLineReader&) = delete;
    SourceLineReader& operator=(const SourceLineReader&) = delete;

    // At most 129 characters of the given line of path around column: read
    // from 128 characters before the column (or the line start), at most 255
    // characters, trimmed of blanks, tabs and line breaks, then cut evenly at
    // both ends to 128 (129) characters. Empty when the file cannot be
    // opened, the line is not positive or does not exist. Never throws.
    std::string excerpt(const std::string& path, std::int32_t line, std::int32_t column);

    // Closes every file.
    void clear() { files_.clear(); }

private:
    struct StreamCloser {
        void operator()(std::FILE* stream) const { std::fclose(stream); }
    };
    struct OpenFile {
        std::unique_ptr<std::FILE, StreamCloser> stream;  // null if opening failed
        std::int32_t currentLine = 1;
    };

    static bool positionOnLine(OpenFile& file, std::int32_t line);

    std::map<std::string, OpenFile> files_;
};

}  // namespace ostrel::xml

#endif
