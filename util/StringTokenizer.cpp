#include "util/StringTokenizer.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace ostrel {

namespace {

constexpr char kBackslash = '\\';
constexpr std::int32_t kInitialTokenCapacity = 16;

bool isQuote(char character) { return character == '"' || character == '\''; }

// The low 32 bits of a 64-bit index, as the buffer's index type.
std::int64_t low32(std::int64_t value) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(value)); }

}  // namespace

StringTokenizer::StringTokenizer(const char* text, std::int32_t length, const char* delimiters)
    : text_(text),
      delimiters_(delimiters),
      length_(length),
      token_(new char[kInitialTokenCapacity + 1]),
      tokenCapacity_(kInitialTokenCapacity) {
    token_[0] = '\0';
}

char StringTokenizer::at(std::int64_t index) const {
    if (index < 0 || index >= length_) {
        return '\0';
    }
    return text_[index];
}

bool StringTokenizer::isDelimiter(char character) const {
    // strchr finds the terminating NUL of the set, which is no delimiter.
    return character != '\0' && std::strchr(delimiters_, character) != nullptr;
}

std::int64_t StringTokenizer::nextTokenLength() const {
    // setPosition takes any value; a position before the buffer has no token.
    if (position_ < 0 || position_ >= length_) {
        return 0;
    }
    std::int64_t count = static_cast<std::int64_t>(std::strcspn(text_ + position_, delimiters_));
    // A delimiter is a token of its own.
    if (count == 0) {
        count = 1;
    }
    return std::min(count, length_ - position_);
}

void StringTokenizer::setToken(const char* characters, std::size_t count) {
    if (count > static_cast<std::size_t>(tokenCapacity_)) {
        std::int64_t capacity = tokenCapacity_;
        while (capacity < static_cast<std::int64_t>(count)) {
            capacity *= 2;
        }
        capacity = std::min<std::int64_t>(capacity, std::numeric_limits<std::int32_t>::max());
        // The old token is about to be replaced, so it is not copied over.
        token_.reset(new char[static_cast<std::size_t>(capacity) + 1]);
        tokenCapacity_ = static_cast<std::int32_t>(capacity);
    }
    std::memcpy(token_.get(), characters, count);
    token_[count] = '\0';
}

bool StringTokenizer::nextToken() {
    if (pending_[0] != '\0') {
        pending_[0] = '\0';
        return true;
    }
    const std::int64_t count = nextTokenLength();
    if (count == 0) {
        token_[0] = '\0';
        return false;
    }
    // A NUL inside the range ends the token's text, but the position still
    // moves over the whole range.
    setToken(text_ + position_, strnlen(text_ + position_, static_cast<std::size_t>(count)));
    position_ += count;
    return true;
}

bool StringTokenizer::stepBack() {
    // Clamped at 0 first: setPosition takes any value, and the lowest one
    // has no predecessor.
    const std::int64_t start = std::max<std::int64_t>(std::min(position_, length_), 0) - 1;
    for (std::int64_t index = start; index >= 0; --index) {
        if (isDelimiter(text_[index])) {
            position_ = index == position_ - 1 ? index : index + 1;
            return true;
        }
    }
    const bool moved = position_ > 0;
    position_ = 0;
    return moved;
}

const char* StringTokenizer::peekToken() {
    const std::int64_t count = nextTokenLength();
    if (count == 0) {
        return nullptr;
    }
    peeked_.assign(text_ + position_, strnlen(text_ + position_, static_cast<std::size_t>(count)));
    return peeked_.c_str();
}

const char* StringTokenizer::getToken() const { return token_.get(); }

void StringTokenizer::readUntil(char terminator, bool backslashEscapes) {
    pending_[0] = terminator;
    if (at(position_) == '\0') {
        token_[0] = '\0';
        return;
    }
    std::string token;
    std::int64_t index = position_;
    if (!isQuote(terminator)) {
        while (at(index) != '\0' && at(index) != terminator) {
            ++index;
        }
        setToken(text_ + position_, static_cast<std::size_t>(index - position_));
        position_ = index + 1;
        return;
    }
    for (;;) {
        const char character = at(index);
        if (character == '\0') {
            // No closing quote: nothing usable was read.
            token_[0] = '\0';
            position_ += 1;
            return;
        }
        if (backslashEscapes && character == kBackslash) {
            const char escaped = at(index + 1);
            if (escaped == '\0') {
                token_[0] = '\0';
                position_ += 1;
                return;
            }
            token += character;
            token += escaped;
            index += 2;
        } else if (character == terminator) {
            if (at(index + 1) != terminator) {
                break;
            }
            token += terminator;
            index += 2;
        } else {
            token += character;
            ++index;
        }
    }
    setToken(token.data(), token.size());
    position_ = index + 1;
}

void StringTokenizer::readQuoted() {
    pending_[0] = '"';
    if (at(position_) == '\0') {
        token_[0] = '\0';
        return;
    }
    std::string token;
    std::int64_t index = position_;
    for (;;) {
        const char character = at(index);
        if (character == '\0') {
            break;
        }
        if (character == '"') {
            if (at(index + 1) != '"') {
                break;
            }
            ++index;
        }
        token += character;
        ++index;
    }
    setToken(token.data(), token.size());
    position_ = index + 1;
}

std::int64_t StringTokenizer::getPosition() const { return position_; }

void StringTokenizer::setPosition(std::int64_t position) { position_ = position; }

bool StringTokenizer::queryFlag() const { return false; }

std::string StringTokenizer::substring(std::int64_t offset, std::int64_t count) const {
    const std::int64_t start = low32(offset);
    if (start < 0 || start >= length_ || count <= 0) {
        return std::string();
    }
    const std::int64_t taken = std::min(count, length_ - start);
    return std::string(text_ + start, static_cast<std::size_t>(taken));
}

char StringTokenizer::charAt(std::int64_t index) const { return at(low32(index)); }

}  // namespace ostrel
