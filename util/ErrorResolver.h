#ifndef OSTREL_ERRORRESOLVER_H
#define OSTREL_ERRORRESOLVER_H

#include <cstdint>
#include <string>

// Turns a system error code into the text that the utility library's
// messages carry after "Reason: ". Code that reports a failed system call
// asks systemErrorTextOf or lastSystemErrorText below; the class itself
// serves them and the database error sources. Never throws anything of its
// own: a code without a text becomes a text.
class ErrorResolver {
public:
    explicit ErrorResolver(std::uint32_t code = 0) : code_(code) {}
    virtual ~ErrorResolver() = default;

    // The text for code, trimmed of trailing blanks and line breaks and of a
    // doubled final full stop; also kept in getText(). errorInfo selects the
    // database error source, which POSIX systems do not have.
    std::string resolve(std::uint32_t code, bool errorInfo);

    // Fills text with the system's message for code (0: the resolver's own
    // code), falling back to a text naming the code when there is none.
    // moduleName names an extra message source; none exists on POSIX.
    void getSystemMessage(std::string& text, std::uint32_t code, const std::string& moduleName);

    // Appends the text of the database error objects posted for code.
    void getErrorInfoText(std::uint32_t code, std::string& text);

    // The tidying resolve applies to every text but the one for code 0: cuts
    // trailing blanks, tabs and line breaks (a text made only of them stays),
    // then drops the last of two final full stops, since the callers' messages
    // add sentences of their own.
    static void tidyText(std::string& text);

    std::uint32_t getCode() const { return code_; }
    const std::string& getText() const { return text_; }

private:
    std::uint32_t code_;
    std::string text_;
};

// The text for a system error code, as messages carry it after "Reason: "
// (ErrorResolver(0).resolve(code, false)).
std::string systemErrorTextOf(std::uint32_t code);

// The text for the calling thread's last system error, read at once after a
// failing call: systemErrorTextOf(platform::lastErrorCode()).
std::string lastSystemErrorText();

// text as the end of a sentence: followed by a full stop unless it ends in
// one already (system texts of some platforms do), so that a message that
// closes with a reason never ends in two.
std::string asSentence(const std::string& text);

#endif
