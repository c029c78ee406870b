// What the Windows layer promises for a rewrite: the new file keeps the old
// one's attributes and security descriptor, names of any script are
// rewritten, temporary names carry a GUID, a read-only file and a file
// another process writes to are left alone.
#include "util/FileReplacement.h"
#include "util/platform/Platform.h"

#include "tests/util/platform/windows/WindowsTestFolder.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <regex>

using namespace ostrel::platform;
using ostrel::FileReplacement;
using ostrel::ReplaceStep;
using windows_testing::attributesOf;
using windows_testing::readFile;
using windows_testing::ScratchFolder;
using windows_testing::writeFile;

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Rewrites path through every step, as the plugin does, into "<" + content
// + ">"; the temporary file's path.
std::string rewrite(const std::string& path) {
    FileReplacement replacement(path);
    EXPECT_EQ(OpenResult::Opened, replacement.openOriginal());
    EXPECT_EQ(OtherWriters::None, replacement.otherWriters());
    EXPECT_EQ(CreateResult::Created, replacement.createTemporary());
    EXPECT_TRUE(replacement.write("<"));
    EXPECT_EQ(CopyResult::Copied, replacement.copyOriginal());
    EXPECT_TRUE(replacement.write(">"));
    EXPECT_TRUE(replacement.finishContent());
    EXPECT_EQ(ReplaceStep::Done, replacement.replace()) << lastErrorCode();
    return replacement.temporaryPath();
}

// A handle of another user of the file.
struct OpenedElsewhere {
    OpenedElsewhere(const std::string& path, DWORD access, DWORD share)
        : handle(CreateFileW(std::filesystem::u8path(path).c_str(), access, share, nullptr, OPEN_EXISTING, 0,
                             nullptr)) {
        EXPECT_NE(INVALID_HANDLE_VALUE, handle);
    }
    ~OpenedElsewhere() { CloseHandle(handle); }
    HANDLE handle;
};

// The DACL (with its protection flags) and the owner of the file, as text.
std::string securityOf(const std::string& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const std::wstring wide = std::filesystem::u8path(path).wstring();
    EXPECT_EQ(DWORD(ERROR_SUCCESS),
              GetNamedSecurityInfoW(wide.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, nullptr, nullptr, &descriptor));
    LPSTR text = nullptr;
    ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                         OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &text,
                                                         nullptr);
    const std::string result = text != nullptr ? text : "";
    LocalFree(text);
    LocalFree(descriptor);
    return result;
}

std::string processUserSid() {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    char buffer[256];
    DWORD size = sizeof buffer;
    GetTokenInformation(token, TokenUser, buffer, size, &size);
    CloseHandle(token);
    LPSTR sid = nullptr;
    ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid);
    const std::string result = sid != nullptr ? sid : "";
    LocalFree(sid);
    return result;
}

}  // namespace

TEST(WindowsReplacementTest, KeepsAttributesAndWritesThroughAGuidNamedTemporaryFile) {
    ScratchFolder folder;
    const std::string path = folder.file("report.txt");
    writeFile(path, "data");
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    ASSERT_TRUE(SetFileAttributesW(std::filesystem::u8path(path).c_str(), kept));

    const std::string temporary = rewrite(path);

    EXPECT_EQ("<data>", readFile(path));
    EXPECT_EQ(kept, attributesOf(path) & (kept | FILE_ATTRIBUTE_READONLY));
    static const std::regex guidName(
        R"(.*[\\/]report\.txt-tmp-[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12})");
    EXPECT_TRUE(std::regex_match(temporary, guidName)) << temporary;
    // Neither the temporary file nor the old file's backup is left.
    EXPECT_EQ(std::vector<std::string>{"report.txt"}, folder.entries());
}

TEST(WindowsReplacementTest, KeepsTheSecurityDescriptor) {
    if (windows_testing::runningUnderWine()) {
        // Not weakened, only not observable: Wine stores no owner and no DACL
        // (SetSecurityInfo and SetKernelObjectSecurity report success and
        // turn a DACL into Unix permission bits), and GetSecurityInfo makes a
        // descriptor up from those bits, so two files with the same bits
        // always look alike.
        GTEST_SKIP() << "Wine keeps no owner or DACL of a file; the descriptor a replacement carries cannot be "
                        "seen here";
    }
    ScratchFolder folder;
    const std::string path = folder.file("kept.txt");
    writeFile(path, "data");
    // A protected DACL unlike what the folder would give: the process's user
    // may do anything, SYSTEM read, nobody else anything.
    const std::string sddl = "D:P(A;;FA;;;" + processUserSid() + ")(A;;FR;;;SY)";
    PSECURITY_DESCRIPTOR wanted = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1, &wanted, nullptr));
    ASSERT_TRUE(SetFileSecurityW(std::filesystem::u8path(path).c_str(), DACL_SECURITY_INFORMATION, wanted));
    LocalFree(wanted);
    const std::string before = securityOf(path);

    rewrite(path);

    EXPECT_EQ("<data>", readFile(path));
    EXPECT_EQ(before, securityOf(path));
}

TEST(WindowsReplacementTest, RewritesNamesBeyondTheAnsiCodePage) {
    ScratchFolder folder;
    // U+4E2D and U+1F600 (a surrogate pair in UTF-16), in a folder's name and
    // a file's; the path joined with either separator.
    ASSERT_TRUE(std::filesystem::create_directory(std::filesystem::u8path(folder.file("\xE4\xB8\xAD"))));
    for (const std::string name : {"\xE4\xB8\xAD.txt", "smile \xF0\x9F\x98\x80.txt", "\xE4\xB8\xAD/\xF0\x9F\x98\x80",
                                   "\xE4\xB8\xAD\\\xE4\xB8\xAD\xF0\x9F\x98\x80.txt"}) {
        SCOPED_TRACE(name);
        const std::string path = folder.path().u8string() + "\\" + name;
        writeFile(path, name);
        rewrite(path);
        EXPECT_EQ("<" + name + ">", readFile(path));
    }
}

TEST(WindowsReplacementTest, ReadOnlyFileIsRefusedAndLeftAsItWas) {
    ScratchFolder folder;
    const std::string path = folder.file("locked.txt");
    writeFile(path, "data");
    const DWORD attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    ASSERT_TRUE(SetFileAttributesW(std::filesystem::u8path(path).c_str(), attributes));

    FileReplacement replacement(path);
    EXPECT_EQ(OpenResult::ReadOnly, replacement.openOriginal());

    EXPECT_EQ("data", readFile(path));
    EXPECT_EQ(attributes, attributesOf(path) & (attributes | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(std::vector<std::string>{"locked.txt"}, folder.entries());
}

TEST(WindowsReplacementTest, WritersAndOtherRewritesAreSeen) {
    ScratchFolder folder;
    const std::string path = folder.file("log.txt");
    writeFile(path, "data");
    {
        SCOPED_TRACE("a writer has it open");
        const OpenedElsewhere writer(path, GENERIC_WRITE, kShareAll);
        FileReplacement replacement(path);
        ASSERT_EQ(OpenResult::Opened, replacement.openOriginal());
        EXPECT_EQ(OtherWriters::Present, replacement.otherWriters());
    }
    {
        SCOPED_TRACE("another rewrite holds it; a reader does not count");
        const OpenedElsewhere reader(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
        FileReplacement first(path);
        FileReplacement second(path);
        ASSERT_EQ(OpenResult::Opened, first.openOriginal());
        ASSERT_EQ(OpenResult::Opened, second.openOriginal());
        EXPECT_EQ(OtherWriters::None, first.otherWriters());
        EXPECT_EQ(OtherWriters::Rewriting, second.otherWriters());
    }
    {
        SCOPED_TRACE("a writer arrives, or one came and went");
        FileReplacement replacement(path);
        ASSERT_EQ(OpenResult::Opened, replacement.openOriginal());
        ASSERT_EQ(OtherWriters::None, replacement.otherWriters());
        {
            const OpenedElsewhere writer(path, GENERIC_WRITE, kShareAll);
            EXPECT_FALSE(replacement.originalUnchanged());
            DWORD written = 0;
            SetFilePointer(writer.handle, 0, nullptr, FILE_END);
            ASSERT_TRUE(WriteFile(writer.handle, "!", 1, &written, nullptr));
        }
        EXPECT_FALSE(replacement.originalUnchanged());
    }
    EXPECT_EQ("data!", readFile(path));
}

// The name holds the old file or the new one at every moment, so a file that
// another process holds open is replaced only where the system renames over
// an open file (POSIX semantics, Windows 10 on NTFS, and only when the other
// process shares deletion); elsewhere the rewrite is refused and the file
// left exactly as it was, with nothing beside it.
TEST(WindowsReplacementTest, FileOpenElsewhereIsReplacedWholeOrLeftAsItWas) {
    ScratchFolder folder;
    const std::string path = folder.file("shown.txt");
    for (const DWORD viewerSharing : {kShareAll, DWORD(FILE_SHARE_READ)}) {
        SCOPED_TRACE(viewerSharing);
        writeFile(path, "data");
        const OpenedElsewhere viewer(path, GENERIC_READ, viewerSharing);
        FileReplacement replacement(path);
        ASSERT_EQ(OpenResult::Opened, replacement.openOriginal());
        ASSERT_EQ(OtherWriters::None, replacement.otherWriters());
        ASSERT_EQ(CreateResult::Created, replacement.createTemporary());
        ASSERT_TRUE(replacement.write("<"));
        ASSERT_EQ(CopyResult::Copied, replacement.copyOriginal());
        ASSERT_TRUE(replacement.write(">"));
        ASSERT_TRUE(replacement.finishContent());
        if (replacement.replace() == ReplaceStep::Done) {
            EXPECT_EQ(kShareAll, viewerSharing) << "replaced a file held without FILE_SHARE_DELETE";
            EXPECT_EQ("<data>", readFile(path));
            // The viewer keeps reading the old file.
            char buffer[8] = {};
            DWORD read = 0;
            ASSERT_TRUE(ReadFile(viewer.handle, buffer, sizeof buffer, &read, nullptr));
            EXPECT_EQ("data", std::string(buffer, read));
        } else {
            EXPECT_EQ("data", readFile(path));
        }
    }
    EXPECT_EQ(std::vector<std::string>{"shown.txt"}, folder.entries());
}
