// StringTokenizer: the tokens of a NUL-free buffer put together give the
// buffer up to the length, peekToken foretells nextToken, and any sequence
// of operations stays inside the buffer (the buffer is a heap block of
// exactly length + 1 bytes, so AddressSanitizer reports any read past it).
#include "support/FuzzCheck.h"
#include "util/StringTokenizer.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

enum class Operation : std::uint8_t {
    NextToken,
    StepBack,
    PeekToken,
    ReadUntil,
    ReadQuoted,
    SetPosition,
    Substring,
    CharAt,
    kMaxValue = CharAt,
};

std::string makeDelimiters(FuzzedDataProvider& provider) {
    std::string delimiters = provider.ConsumeBool() ? "<>&\"" : provider.ConsumeBytesAsString(3);
    return std::string(delimiters.c_str());  // the set ends at its first NUL
}

// Walks the whole range once with peekToken and nextToken.
void checkTokensRebuildBuffer(const std::string& buffer, std::int32_t length, const std::string& delimiters) {
    const std::unique_ptr<char[]> text(new char[buffer.size() + 1]);
    std::memcpy(text.get(), buffer.c_str(), buffer.size() + 1);
    ostrel::StringTokenizer tokenizer(text.get(), length, delimiters.c_str());
    std::string joined;
    for (;;) {
        const char* peeked = tokenizer.peekToken();
        const std::string expected = peeked != nullptr ? peeked : "";
        const bool read = tokenizer.nextToken();
        if (read != (peeked != nullptr)) {
            fuzz::failProperty("peekToken and nextToken disagree on the end of " + fuzz::quoteBytes(buffer));
        }
        if (!read) {
            break;
        }
        const std::string token = tokenizer.getToken();
        fuzz::expectEqualBytes("nextToken after peekToken", expected, token);
        const bool delimiterToken = token.size() == 1 && delimiters.find(token[0]) != std::string::npos;
        if (token.empty() || (!delimiterToken && token.find_first_of(delimiters) != std::string::npos)) {
            fuzz::failProperty("token " + fuzz::quoteBytes(token) + " mixes delimiters and text in " +
                               fuzz::quoteBytes(buffer));
        }
        joined += token;
    }
    fuzz::expectEqualBytes("tokens of " + fuzz::quoteBytes(buffer) + " up to " + std::to_string(length),
                           buffer.substr(0, static_cast<std::size_t>(length)), joined);
    if (tokenizer.getToken()[0] != '\0') {
        fuzz::failProperty("the token is not empty at the end");
    }
}

void runOperations(FuzzedDataProvider& provider, const std::string& buffer, std::int32_t length,
                   const std::string& delimiters) {
    const std::unique_ptr<char[]> text(new char[buffer.size() + 1]);
    std::memcpy(text.get(), buffer.c_str(), buffer.size() + 1);
    ostrel::StringTokenizer tokenizer(text.get(), length, delimiters.c_str());
    while (provider.remaining_bytes() > 0) {
        switch (provider.ConsumeEnum<Operation>()) {
        case Operation::NextToken:
            tokenizer.nextToken();
            break;
        case Operation::StepBack:
            tokenizer.stepBack();
            break;
        case Operation::PeekToken: {
            const char* peeked = tokenizer.peekToken();
            if (peeked != nullptr) {
                (void)std::strlen(peeked);
            }
            break;
        }
        case Operation::ReadUntil:
            tokenizer.readUntil(provider.ConsumeIntegral<char>(), provider.ConsumeBool());
            break;
        case Operation::ReadQuoted:
            tokenizer.readQuoted();
            break;
        case Operation::SetPosition:
            tokenizer.setPosition(provider.ConsumeBool()
                                      ? provider.ConsumeIntegralInRange<std::int64_t>(-2, length + 2)
                                      : provider.ConsumeIntegral<std::int64_t>());
            break;
        case Operation::Substring: {
            const auto offset = provider.ConsumeIntegral<std::int64_t>();
            const std::string piece = tokenizer.substring(offset, provider.ConsumeIntegral<std::int64_t>());
            if (piece.size() > static_cast<std::size_t>(length)) {
                fuzz::failProperty("substring longer than the range");
            }
            break;
        }
        case Operation::CharAt:
            (void)tokenizer.charAt(provider.ConsumeIntegral<std::int64_t>());
            break;
        }
        // The token is always a NUL-terminated text.
        (void)std::strlen(tokenizer.getToken());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::string delimiters = makeDelimiters(provider);
    const std::string buffer = provider.ConsumeRandomLengthString(4096);
    // A length within the buffer, as the contract requires.
    const auto length = provider.ConsumeIntegralInRange<std::int32_t>(0, static_cast<std::int32_t>(buffer.size()));
    if (buffer.find('\0') == std::string::npos) {
        checkTokensRebuildBuffer(buffer, length, delimiters);
    }
    runOperations(provider, buffer, length, delimiters);
    return 0;
}
