// What the host sends comes back in an output document the host can read:
// an XML 1.1 input may carry control characters as references, and a data
// element value whose control character sits between "]]" and ">" comes
// back as escaped text, never as a section closed early with raw markup
// after it.
#include "plugin/PipelinePluginOutput.h"
#include "plugin/PipelinePluginParser.h"
#include "plugin/PipelinePluginSerializer.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace Vellamor::Plugin {
namespace {

TEST(InputOutputRoundTripTest, ControlCharacterFromTheInputCannotBreakTheOutput) {
    const testing_support::ScopedTempDir dir;
    testing_support::writeBytes(
        dir.file("input.xml"),
        "<?xml version=\"1.1\" encoding=\"UTF-8\"?>\n"
        "<VellamorPlugin SpecVersion=\"1.0\"><PipelinePluginInput SpecVersion=\"1.0\"><DataElements>"
        "<DataElement Name=\"C&#1;tl\">&lt;![CDATA[a]]&#2;&gt;&lt;b&gt;]]&gt;</DataElement>"
        "</DataElements></PipelinePluginInput></VellamorPlugin>");
    const ParsedInput parsed = PipelinePluginParserImpl().parse(dir.file("input.xml"));
    ASSERT_EQ("<![CDATA[a]]\x02><b>]]>", parsed.second->getDataElements().get("C\x01tl").getString());

    const std::string written = PipelinePluginSerializerImpl().serialize(PipelinePluginOutputImpl(), *parsed.second);
    EXPECT_NE(std::string::npos,
              written.find("\t\t\t<DataElement Name=\"Ctl\" Type=\"string\">&lt;![CDATA[a]]&gt;&lt;b&gt;]]&gt;"
                           "</DataElement>\n"))
        << written;
}

// Random values of every type the host sends, in the spellings a host may
// use, come back in output.xml as sent, byte for byte, while the plugin sees
// their typed values.
class HostSpellings {
public:
    explicit HostSpellings(std::uint32_t seed) : random_(seed) {}

    // The type name in a random letter case.
    std::string typeName(const char* name) {
        std::string text = name;
        for (char& character : text) {
            if (pick(3) == 0) {
                character = static_cast<char>(character - 'a' + 'A');
            }
        }
        return text;
    }
    // With or without a plus sign and leading zeros.
    std::string integer(std::int64_t value) {
        std::string text = std::to_string(value);
        const std::size_t digits = text[0] == '-' ? 1 : 0;
        if (pick(4) == 0) {
            text.insert(digits, "00");
        }
        return (value >= 0 && pick(4) == 0 ? "+" : "") + text;
    }
    std::int64_t int32() { return static_cast<std::int32_t>(random_()); }
    std::int64_t int64() { return static_cast<std::int64_t>(wide()); }
    // A finite double written with 17 significant digits (what repr-style
    // writers use where 15 would not do), 15, or in exponent form.
    std::string floating(double& value) {
        do {
            const std::uint64_t bits = wide();
            std::memcpy(&value, &bits, sizeof value);
        } while (!std::isfinite(value));
        static const char* const formats[] = {"%.17g", "%.15g", "%.16e", "%.3f"};
        char text[512];
        std::snprintf(text, sizeof text, formats[pick(4)], value);
        return text;
    }
    // A date with or without a separator 'T', fraction and zone.
    std::string date() {
        char text[96];
        std::snprintf(text, sizeof text, "%04u-%02u-%02u%c%02u:%02u:%02u", pick(10000), 1 + pick(12), 1 + pick(28),
                      pick(2) == 0 ? 'T' : ' ', pick(24), pick(60), pick(60));
        std::string result = text;
        if (pick(2) == 0) {
            result += "." + std::string(1 + pick(12), static_cast<char>('0' + pick(10)));
        }
        static const char* const zones[] = {"", "Z", "+02:00", "-05:30", "+0100"};
        return result + zones[pick(5)];
    }
    std::string boolean() {
        static const char* const spellings[] = {"true", "TRUE", "True", "false", "False", "0", "000",
                                                "1",    "yes",  "No",   "off",   "",      " true"};
        return spellings[pick(13)];
    }

private:
    unsigned pick(unsigned count) { return std::uniform_int_distribution<unsigned>(0, count - 1)(random_); }
    std::uint64_t wide() { return (static_cast<std::uint64_t>(random_()) << 32) | random_(); }

    std::mt19937 random_;
};

TEST(InputOutputRoundTripTest, RandomHostValuesComeBackAsSent) {
    // A fixed sample, so that a failure repeats; the input/output fuzzer
    // draws new ones.
    const std::uint32_t seed = 20261209;
    HostSpellings spell(seed);
    struct Sent {
        std::string name, type, value;
        double number;  // the value a plugin reads, for the numbers
    };
    std::vector<Sent> sent;
    for (int index = 0; index < 400; ++index) {
        const std::string suffix = std::to_string(10000 + index);
        const std::int64_t int32 = spell.int32();
        const std::int64_t int64 = spell.int64();
        double floating = 0;
        sent.push_back({"A" + suffix, spell.typeName("int"), spell.integer(int32), static_cast<double>(int32)});
        sent.push_back({"B" + suffix, spell.typeName("long"), spell.integer(int64), static_cast<double>(int64)});
        std::string text = spell.floating(floating);
        sent.push_back({"C" + suffix, spell.typeName("double"), text, std::strtod(text.c_str(), nullptr)});
        sent.push_back({"D" + suffix, spell.typeName("date"), spell.date(), 0});
        sent.push_back({"E" + suffix, spell.typeName("bool"), spell.boolean(), 0});
    }
    std::string elements;
    for (const Sent& element : sent) {
        elements += "<DataElement Name=\"" + element.name + "\" Type=\"" + element.type + "\">" + element.value +
                    "</DataElement>\n";
    }
    const testing_support::ScopedTempDir dir;
    testing_support::writeBytes(dir.file("input.xml"),
                                "<VellamorPlugin SpecVersion=\"1.0\"><PipelinePluginInput SpecVersion=\"1.0\">"
                                "<DataElements>\n" + elements +
                                "</DataElements></PipelinePluginInput></VellamorPlugin>");
    const ParsedInput parsed = PipelinePluginParserImpl().parse(dir.file("input.xml"));
    const std::string written = PipelinePluginSerializerImpl().serialize(PipelinePluginOutputImpl(), *parsed.second);

    for (const Sent& element : sent) {
        const std::string line = "\t\t\t<DataElement Name=\"" + element.name + "\" Type=\"" + element.type + "\">" +
                                 element.value + "</DataElement>\n";
        EXPECT_NE(std::string::npos, written.find(line)) << line << "(seed " << seed << ")";
        if (element.name[0] <= 'C') {
            // The plugin still reads the number the text names.
            EXPECT_EQ(element.number, parsed.second->getDataElements().get(element.name).getDouble())
                << line << "(seed " << seed << ")";
        }
    }
}

}  // namespace
}  // namespace Vellamor::Plugin
