#ifndef OSTREL_VERSION_H
#define OSTREL_VERSION_H

#include <cstdint>
#include <string>

namespace ostrel {

// A dotted version of up to four numbers (major 0-400, minor 0-999, patch
// level 0-9999, build unbounded) with an optional non-numeric qualifier. The
// numbers are packed into one integer; equality compares only that.
// Every failure throws CrException with E_FAIL.
class Version {
public:
    explicit Version(const std::string& text);
    Version(std::int32_t major, std::int32_t minor, std::int32_t patchLevel, std::int32_t build,
            const std::string& qualifier);

    void parse(const std::string& text);
    void setNumbers(std::int32_t major, std::int32_t minor, std::int32_t patchLevel, std::int32_t build);

    // The four numbers joined by full stops, without the qualifier.
    std::string toString() const;
    std::int64_t getMinor() const;
    std::int64_t getPatchLevel() const;

    bool operator==(const Version& other) const { return number_ == other.number_; }
    bool operator!=(const Version& other) const { return !(*this == other); }

    std::string qualifier;

private:
    std::int64_t number_ = 0;
};

}  // namespace ostrel

#endif
