#ifndef OSTREL_STRINGTOKENIZER_H
#define OSTREL_STRINGTOKENIZER_H

#include "util/Tokenizer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace ostrel {

// A tokenizer over a borrowed, NUL-terminated buffer: every delimiter
// character is a token of its own and every run of other characters is one
// token. The buffer and the delimiter set must outlive the tokenizer; the
// buffer must hold at least length characters and a NUL after them (a NUL
// inside the range is allowed and ends any token that reaches it). The token
// buffer is reused and only grows, so walking a long text costs one
// allocation per doubling. Nothing here fails on its input: scans stop at a
// NUL or at the length, whichever comes first.
class StringTokenizer : public Tokenizer {
public:
    StringTokenizer(const char* text, std::int32_t length, const char* delimiters);
    StringTokenizer(const StringTokenizer&) = delete;
    StringTokenizer& operator=(const StringTokenizer&) = delete;

    // Reads the next token; false, with an empty token, at the end. Right
    // after readUntil or readQuoted it hands over the token they read instead.
    bool nextToken() override;
    // Moves the position back towards the previous delimiter; the token stays.
    bool stepBack() override;
    // The next token without moving; null at the end. The pointer stays valid
    // until the next peekToken or the tokenizer's end.
    const char* peekToken() override;
    // The current token, always NUL-terminated; valid until the next read.
    const char* getToken() const override;
    // Reads up to terminator. For '"' and '\'' a doubled terminator stands for
    // one, and with backslashEscapes a backslash makes the next character
    // ordinary (the backslash stays in the token).
    void readUntil(char terminator, bool backslashEscapes) override;
    // Reads up to the next double quote that is not doubled.
    void readQuoted() override;
    std::int64_t getPosition() const override;
    void setPosition(std::int64_t position) override;
    // Always false: this tokenizer has no flag to report.
    bool queryFlag() const override;
    // count characters from offset, clipped to the tokenized range; empty when
    // offset lies outside it.
    std::string substring(std::int64_t offset, std::int64_t count) const override;
    // The character at index, or NUL outside the tokenized range.
    char charAt(std::int64_t index) const override;

private:
    // The character at index, NUL at or past the length.
    char at(std::int64_t index) const;
    bool isDelimiter(char character) const;
    // Length of the token that starts at the position (0 at the end).
    std::int64_t nextTokenLength() const;
    void setToken(const char* characters, std::size_t count);

    const char* text_;
    const char* delimiters_;
    std::int64_t position_ = 0;
    std::int64_t length_;
    std::unique_ptr<char[]> token_;
    std::int32_t tokenCapacity_ = 16;
    char pending_[2] = {0, 0};
    std::string peeked_;
};

}  // namespace ostrel

#endif
