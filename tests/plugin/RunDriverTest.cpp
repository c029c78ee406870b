#include "plugin/RunDriver.h"

#include "plugin/PluginException.h"
#include "plugin/RunExitCodes.h"
#include "util/CrException.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <stdexcept>
#include <vector>

using namespace Vellamor::Plugin;

namespace {

// What the driver handed the serializer and the file write during one run.
struct Recorded {
    std::vector<std::string> writtenPaths;
    LogMessage serializedLog;
    int serializeCalls = 0;
    std::size_t serializedElementCount = 0;
    std::int32_t serializedOperationId = 0;
};

class FakeParser final : public PipelinePluginParser {
public:
    explicit FakeParser(std::function<void()> fail) : fail_(std::move(fail)) {}
    ParsedInput parse(const std::string& path) override {
        EXPECT_EQ("input.xml", path);
        if (fail_) {
            fail_();
        }
        auto context = std::make_unique<PipelinePluginContextImpl>();
        context->setOperation(OperationImpl("op", "guid", 42));
        return {std::make_unique<PipelinePluginInputImpl>(), std::move(context)};
    }

private:
    std::function<void()> fail_;
};

class FakeSerializer final : public PipelinePluginSerializer {
public:
    explicit FakeSerializer(Recorded& recorded) : recorded_(recorded) {}
    std::string serialize(const PipelinePluginOutput& output, const PipelinePluginContext& context) override {
        ++recorded_.serializeCalls;
        recorded_.serializedLog = output.getLogMessage();
        recorded_.serializedElementCount = context.getDataElements().size();
        recorded_.serializedOperationId = context.getOperation().getId();
        return "document";
    }

private:
    Recorded& recorded_;
};

class FakePlugin final : public PipelinePlugin {
public:
    explicit FakePlugin(std::function<int(PipelinePluginOutput&)> body) : body_(std::move(body)) {}
    int process(PipelinePluginInput&, PipelinePluginOutput& output, PipelinePluginContext&) override {
        return body_(output);
    }

private:
    std::function<int(PipelinePluginOutput&)> body_;
};

// A thrown type that belongs to neither exception family.
struct Unrelated {};

// A type of both families: the driver must take it as a PluginException.
struct BothFamilies : PluginException, std::runtime_error {
    BothFamilies() : PluginException("plugin text"), std::runtime_error("std text") {}
};

class RunDriverTest : public ::testing::Test {
protected:
    int run(std::function<int(PipelinePluginOutput&)> process, std::function<void()> parseFailure = {},
            std::function<void()> writeFailure = {}) {
        RunServices services;
        services.createParser = [parseFailure] { return std::make_unique<FakeParser>(parseFailure); };
        services.createSerializer = [this] { return std::make_unique<FakeSerializer>(recorded); };
        services.writeFile = [this, writeFailure](const std::string& path, const std::string& text) {
            EXPECT_EQ("document", text);
            recorded.writtenPaths.push_back(path);
            if (writeFailure) {
                writeFailure();
            }
        };
        services.makeNamesDurable = [this] {
            // As the real list, which a flush empties, it fails once.
            if (++namesFlushes == 1 && namesFailure) {
                namesFailure();
            }
        };
        FakePlugin plugin(std::move(process));
        testing::internal::CaptureStdout();
        const int code = runPipelinePlugin(plugin, services);
        standardOutput = testing::internal::GetCapturedStdout();
        return code;
    }

    static int succeed(PipelinePluginOutput&) { return 0; }

    Recorded recorded;
    std::string standardOutput;
    std::function<void()> namesFailure;
    int namesFlushes = 0;
};

TEST_F(RunDriverTest, SuccessWritesOutputOnceAndReturnsZero) {
    EXPECT_EQ(0, run(succeed));
    EXPECT_EQ(std::vector<std::string>{"output.xml"}, recorded.writtenPaths);
    EXPECT_EQ(42, recorded.serializedOperationId);
    EXPECT_EQ("", standardOutput);
}

TEST_F(RunDriverTest, NonZeroResultOfProcessIsTheExitCodeEvenWhenTheWriteFails) {
    EXPECT_EQ(7, run([](PipelinePluginOutput&) { return 7; }));
    EXPECT_EQ(1u, recorded.writtenPaths.size());

    EXPECT_EQ(7, run([](PipelinePluginOutput&) { return 7; }, {},
                     [] { throw ostrel::CrException("disk full", ostrel::E_FAIL); }));
    EXPECT_EQ("disk full\n", standardOutput);
}

TEST_F(RunDriverTest, ReadFailuresMapToTheFirstPhaseCodesAndStillWriteOutput) {
    struct Row {
        std::function<void()> failure;
        int code;
        std::string log;
    };
    const std::vector<Row> rows = {
        {[] { throw PipelinePluginException("The input file \"input.xml\" does not exist."); }, 1001,
         "The input file \"input.xml\" does not exist."},
        {[] { throw std::runtime_error("bad"); }, 1002, "bad"},
        {[] { throw ostrel::CrException("version", ostrel::E_FAIL); }, 1003,
         "Unexpected error when parsing the input XML."},
        {[] { throw Unrelated(); }, 1003, "Unexpected error when parsing the input XML."},
        {[] { throw BothFamilies(); }, 1001, "plugin text"},
    };
    for (const Row& row : rows) {
        recorded = Recorded();
        bool processed = false;
        EXPECT_EQ(row.code, run([&](PipelinePluginOutput&) {
                      processed = true;
                      return 0;
                  },
                                row.failure));
        EXPECT_FALSE(processed);
        EXPECT_EQ(std::vector<std::string>{"output.xml"}, recorded.writtenPaths);
        EXPECT_EQ(row.log, recorded.serializedLog.message);
        EXPECT_EQ(Error, recorded.serializedLog.severity);
        // The default context of a failed read: no data elements, id -1.
        EXPECT_EQ(0u, recorded.serializedElementCount);
        EXPECT_EQ(-1, recorded.serializedOperationId);
    }
}

TEST_F(RunDriverTest, ProcessFailuresMapToTheSecondPhaseCodesWithTheReadContext) {
    struct Row {
        std::function<int(PipelinePluginOutput&)> process;
        int code;
        std::string log;
    };
    const std::vector<Row> rows = {
        {[](PipelinePluginOutput&) -> int { throw PipelinePluginException("x"); }, 2001, "x"},
        {[](PipelinePluginOutput&) -> int { throw std::logic_error("broken"); }, 2002, "broken"},
        {[](PipelinePluginOutput&) -> int { throw ostrel::CrException("c", ostrel::E_FAIL); }, 2003,
         "Unexpected error thrown by pipeline implementation."},
        {[](PipelinePluginOutput&) -> int { throw BothFamilies(); }, 2001, "plugin text"},
    };
    for (const Row& row : rows) {
        recorded = Recorded();
        EXPECT_EQ(row.code, run(row.process));
        EXPECT_EQ(row.log, recorded.serializedLog.message);
        EXPECT_EQ(Error, recorded.serializedLog.severity);
        EXPECT_EQ(42, recorded.serializedOperationId);
        EXPECT_EQ(1u, recorded.writtenPaths.size());
    }
}

TEST_F(RunDriverTest, FailureMessageGoesInFrontOfAnEarlierLogText) {
    const int code = run([](PipelinePluginOutput& output) -> int {
        output.setLogMessage(LogMessage{"w", Warning});
        throw PipelinePluginException("x");
    });
    EXPECT_EQ(2001, code);
    EXPECT_EQ("x\nw", recorded.serializedLog.message);
    EXPECT_EQ(Error, recorded.serializedLog.severity);
}

TEST_F(RunDriverTest, WriteFailuresAfterSuccessMapToTheThirdPhaseCodesOnStandardOutput) {
    struct Row {
        std::function<void()> failure;
        int code;
        std::string line;
    };
    const std::vector<Row> rows = {
        {[] { throw PluginException("p"); }, 3001, "p\n"},
        {[] { throw ostrel::CrException("Failed to write to file \"output.xml\". x", ostrel::E_FAIL); }, 3002,
         "Failed to write to file \"output.xml\". x\n"},
        {[] { throw std::runtime_error("s"); }, 3003, "s\n"},
        {[] { throw Unrelated(); }, 3004, "Unexpected error while writing output XML to file \"output.xml\".\n"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.code, run(succeed, {}, row.failure));
        EXPECT_EQ(row.line, standardOutput);
    }
}

TEST_F(RunDriverTest, WriteFailureAfterAnEarlierFailureKeepsTheEarlierCode) {
    EXPECT_EQ(1001, run(succeed, [] { throw PluginException("missing"); },
                        [] { throw ostrel::CrException("no room", ostrel::E_FAIL); }));
    EXPECT_EQ("no room\n", standardOutput);
    EXPECT_EQ(2002, run([](PipelinePluginOutput&) -> int { throw std::runtime_error("e"); }, {},
                        [] { throw ostrel::CrException("no room", ostrel::E_FAIL); }));
}

// The names the run put in place are flushed on every path; a run that
// succeeded but whose names cannot be flushed fails with 2001 and says why
// in output.xml, while an earlier failure keeps its code.
TEST_F(RunDriverTest, NamesThatCannotBeMadeDurableFailTheRunWithTheProcessCode) {
    const auto unflushed = [] { throw ostrel::CrException("Failed to flush the directory 'd'.", ostrel::E_FAIL); };
    struct Row {
        std::function<int(PipelinePluginOutput&)> process;
        std::function<void()> namesFailure;
        int code;
        std::string log;
        std::string line;
    };
    const std::vector<Row> rows = {
        {succeed, {}, 0, "", ""},
        {succeed, unflushed, 2001, "Failed to flush the directory 'd'.", ""},
        {[](PipelinePluginOutput&) -> int { throw PipelinePluginException("x"); }, unflushed, 2001, "x",
         "Failed to flush the directory 'd'.\n"},
    };
    for (const Row& row : rows) {
        namesFailure = row.namesFailure;
        namesFlushes = 0;
        recorded = Recorded();
        EXPECT_EQ(row.code, run(row.process));
        EXPECT_LE(1, namesFlushes);
        EXPECT_EQ(row.log, recorded.serializedLog.message);
        EXPECT_EQ(row.line, standardOutput);
    }
}

TEST_F(RunDriverTest, CrExceptionMessageOnStandardOutputHidesPasswords) {
    EXPECT_EQ(3002, run(succeed, {}, [] { throw ostrel::CrException("conn PWD=secret;x", ostrel::E_FAIL); }));
    EXPECT_EQ("conn PWD=<REMOVED>;x\n", standardOutput);
}

// A password may sit in any part of a failure's text: the plugin's message,
// a utility message masked inside it, an earlier log text. The whole text is
// masked, in the log and on standard output.
TEST_F(RunDriverTest, WholeFailureTextHidesPasswords) {
    const std::string inner = ostrel::CrException("PWD=inner", ostrel::E_FAIL).getMessage();
    EXPECT_EQ(2001, run([inner](PipelinePluginOutput& output) -> int {
        output.setLogMessage(LogMessage{"connected with pwd=earlier;x", Warning});
        throw PipelinePluginException("Failed to move '/d/PWD=a;b' to '/d/c'. Reason: " + inner);
    }));
    EXPECT_EQ("Failed to move '/d/PWD=<REMOVED>;b' to '/d/c'. Reason: PWD=<REMOVED>\nconnected with pwd=<REMOVED>;x",
              recorded.serializedLog.message);

    EXPECT_EQ(1002, run(succeed, [] { throw std::runtime_error("read Pwd=s"); }));
    EXPECT_EQ("read Pwd=<REMOVED>", recorded.serializedLog.message);

    EXPECT_EQ(3001, run(succeed, {}, [] { throw PluginException("write PWD=s;t"); }));
    EXPECT_EQ("write PWD=<REMOVED>;t\n", standardOutput);
}

// A failure whose message cannot even be copied: memory ran out.
class UncopyableMessage final : public PipelinePluginException {
public:
    UncopyableMessage() : PipelinePluginException("") {}
    std::string getMessage() const override { throw std::bad_alloc(); }
};

// Memory that runs out in the driver's own work ends the run with the
// standard-exception code of the phase under way (or process's result),
// never with an exception nobody catches.
TEST_F(RunDriverTest, DriverThatRunsOutOfMemoryStillEndsWithThePhasesCode) {
    const auto fails = [] { throw UncopyableMessage(); };
    struct Row {
        std::function<int(PipelinePluginOutput&)> process;
        std::function<void()> parseFailure;
        std::function<void()> writeFailure;
        int code;
    };
    const std::vector<Row> rows = {
        {succeed, fails, {}, 1002},
        {[](PipelinePluginOutput&) -> int { throw UncopyableMessage(); }, {}, {}, 2002},
        {succeed, {}, fails, 3003},
        {[](PipelinePluginOutput&) { return 7; }, {}, fails, 7},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.code, run(row.process, row.parseFailure, row.writeFailure));
        EXPECT_EQ("Out of memory while reporting the run's failure: std::bad_alloc\n", standardOutput) << row.code;
    }
}

}  // namespace

// A POSIX parent sees only the low 8 bits of a code, and the step tool
// explains a status by them: no two codes may share them.
TEST(RunExitCodesTest, EveryCodeIsListedOnceAndTellsApartByItsLowEightBits) {
    std::set<int> lowBits;
    int previous = -1;
    for (const auto& entry : Vellamor::Plugin::kRunExitCodes) {
        SCOPED_TRACE(entry.code);
        EXPECT_LT(previous, static_cast<int>(entry.code));
        EXPECT_TRUE(lowBits.insert(entry.code & 0xFF).second);
        EXPECT_NE(std::string(), entry.meaning);
        previous = entry.code;
    }
    EXPECT_EQ(12u, lowBits.size());
}
