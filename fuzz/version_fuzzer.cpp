// Version: a text either fails with CrException or gives a version whose
// four-number text reads back to an equal version with the same text.
#include "support/FuzzCheck.h"
#include "util/CrException.h"
#include "util/Version.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const ostrel::Version version(text);
        const std::string printed = version.toString();
        try {
            const ostrel::Version reread(printed);
            if (reread != version) {
                fuzz::failProperty("the text " + fuzz::quoteBytes(printed) + " of " + fuzz::quoteBytes(text) +
                                   " reads back as another version");
            }
            fuzz::expectEqualBytes("the text of " + fuzz::quoteBytes(text) + " read back", printed,
                                   reread.toString());
        } catch (const ostrel::CrException& exception) {
            fuzz::failProperty("the text " + fuzz::quoteBytes(printed) + " of " + fuzz::quoteBytes(text) +
                               " does not read back: " + exception.getMessage());
        }
    } catch (const ostrel::CrException&) {
        // A text that is not a version fails with the library's exception.
    }
    return 0;
}
