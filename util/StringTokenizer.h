#ifndef OSTREL_STRINGTOKENIZER_H
#define OSTREL_STRINGTOKENIZER_H

#include "util/Tokenizer.h"

#include <cstdint>
#include <memory>
#include <string>

namespace ostrel {

// A tokenizer over a borrowed, NUL-terminated buffer: every delimiter
// character is a token of its own and every run of other characters is one
// token. The buffer and the delimiter set must outlive the tokenizer. The
// token buffer is reused and only grows, so walking a long text costs one
// allocation per doubling.
class StringTokenizer : public Tokenizer {
public:
    StringTokenizer(const char* text, std::int32_t length, const char* delimiters);
    StringTokenizer(const StringTokenizer&) = delete;
    StringTokenizer& operator=(const StringTokenizer&) = delete;

    bool nextToken() override;
    bool stepBack() override;
    const char* peekToken() override;
    const char* getToken() const override;
    void readUntil(char terminator, bool backslashEscapes) override;
    void readQuoted() override;
    std::int64_t getPosition() const override;
    void setPosition(std::int64_t position) override;
    bool queryFlag() const override;
    std::string substring(std::int64_t offset, std::int64_t count) const override;
    char charAt(std::int64_t index) const override;

private:
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
