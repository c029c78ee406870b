#ifndef OSTREL_TOKENIZER_H
#define OSTREL_TOKENIZER_H

#include <cstdint>
#include <string>

namespace ostrel {

// Walks a character buffer and hands out runs of ordinary characters and
// single delimiter characters as separate tokens.
class Tokenizer {
public:
    virtual ~Tokenizer() = default;
    virtual bool nextToken() = 0;
    virtual bool stepBack() = 0;
    virtual const char* peekToken() = 0;
    virtual const char* getToken() const = 0;
    virtual void readUntil(char terminator, bool backslashEscapes) = 0;
    virtual void readQuoted() = 0;
    virtual std::int64_t getPosition() const = 0;
    virtual void setPosition(std::int64_t position) = 0;
    virtual bool queryFlag() const = 0;
    virtual std::string substring(std::int64_t offset, std::int64_t count) const = 0;
    virtual char charAt(std::int64_t index) const = 0;
};

}  // namespace ostrel

#endif
