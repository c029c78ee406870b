// Date reading: any text either fails with the runtime's exception or gives
// a date whose text reads back to the same fields, digits of the fraction
// included, and so to the same text.
#include "plugin/PluginException.h"
#include "plugin/data/DateImpl.h"
#include "support/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace {

using Vellamor::Plugin::DateImpl;

std::string fieldsOf(const DateImpl& date) {
    return std::to_string(date.year()) + " " + std::to_string(date.month()) + " " + std::to_string(date.day()) +
           " " + std::to_string(date.hour()) + " " + std::to_string(date.minute()) + " " +
           std::to_string(date.second()) + " " + std::to_string(date.fraction()) +
           // The digits of a zero fraction are not written, and mean nothing.
           (date.fraction() == 0 ? "" : "/" + std::to_string(date.fractionDigits()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<DateImpl> date;
    try {
        date = std::make_unique<DateImpl>(text);
    } catch (const Vellamor::Plugin::PluginException&) {
        return 0;
    }
    (void)date->toTime();
    const std::string printed = date->toString();
    std::unique_ptr<DateImpl> reread;
    try {
        reread = std::make_unique<DateImpl>(printed);
    } catch (const Vellamor::Plugin::PluginException& exception) {
        fuzz::failProperty("the text " + fuzz::quoteBytes(printed) + " of " + fuzz::quoteBytes(text) +
                           " does not read back: " + exception.getMessage());
    }
    fuzz::expectEqualBytes("the fields of " + fuzz::quoteBytes(text) + " read back from " + fuzz::quoteBytes(printed),
                           fieldsOf(*date), fieldsOf(*reread));
    fuzz::expectEqualBytes("the text of " + fuzz::quoteBytes(text) + " read back", printed, reread->toString());
    return 0;
}
