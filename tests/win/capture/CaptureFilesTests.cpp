#include "capture/CaptureFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/Handles.h"
#include "platform/SystemError.h"
#include "platform/Wide.h"
#include "support/TempFolder.h"

namespace mirulo::capture {
namespace {

using platform::Narrow;

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
    platform::UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    return bytes;
}

void CreateFileWith(const std::wstring& path, const std::string& bytes) {
    platform::UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

std::vector<std::wstring> List(const std::wstring& folder) { return testkit::FolderNames(folder); }

std::span<const std::uint8_t> AsBytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

constexpr wchar_t kName[] = L"20240315_142530_045_固K.png";

TEST(WriteFileReplacing, WritesTheBytesUnderTheNameAndNothingElse) {
    const struct {
        const char* what;
        std::optional<std::string> existing;
    } cases[] = {
        {"new file", std::nullopt},
        {"replaces a longer file", std::string(5000, 'x')},
        {"replaces a shorter file", std::string("ab")},
    };
    const std::string bytes =
        "\x89PNG\r\n\x1a\n and some more bytes \0 with a zero" + std::string(300, '\xFF');
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const testkit::TempFolder folder(L"mirulo-capture");
        const std::wstring path = folder / kName;
        if (c.existing) {
            CreateFileWith(path, *c.existing);
        }

        WriteFileReplacing(path, AsBytes(bytes));

        EXPECT_EQ(ReadFileBytes(path), bytes);
        EXPECT_EQ(List(folder.path()), std::vector<std::wstring>{kName});
    }
}

constexpr char kOld[] = "the earlier picture";

TEST(WriteFileReplacing, FailureNamesTheFileAndLeavesNothingBehind) {
    const struct {
        const char* what;
        const wchar_t* name; // inside the case's own folder
        void (*prepare)(const std::wstring& folder);
        std::vector<std::wstring> folderAfter;
        std::optional<std::string> targetAfter;
    } cases[] = {
        {"folder removed", L"removed\\a.png", [](const std::wstring&) {}, {}, std::nullopt},
        {"read-only picture of that name",
         L"readonly.png",
         [](const std::wstring& folder) {
             CreateFileWith(folder + L"\\readonly.png", kOld);
             ::SetFileAttributesW((folder + L"\\readonly.png").c_str(), FILE_ATTRIBUTE_READONLY);
         },
         {L"readonly.png"},
         std::string(kOld)},
        {"a folder of that name",
         L"folder.png",
         [](const std::wstring& folder) { ::CreateDirectoryW((folder + L"\\folder.png").c_str(), nullptr); },
         {L"folder.png"},
         std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const testkit::TempFolder folder(L"mirulo-capture");
        c.prepare(folder.path());
        const std::wstring path = folder / c.name;

        try {
            WriteFileReplacing(path, AsBytes("new picture"));
            ADD_FAILURE() << "no error reported";
        } catch (const platform::UserError& error) {
            const std::string heading = Narrow(L"画像ファイルを保存できません\r\n" + path + L"\r\n");
            const std::string message = error.what();
            EXPECT_EQ(message.substr(0, heading.size()), heading);
            EXPECT_GT(message.size(), heading.size()) << "the system's reason is missing";
        }

        EXPECT_EQ(List(folder.path()), c.folderAfter);
        EXPECT_EQ(ReadFileBytes(path), c.targetAfter);
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST(CaptureFilePath, JoinsTheFolderAsStoredAndTheCaptureName) {
    const platform::LocalTime now{2024, 3, 15, 14, 25, 30, 45};
    EXPECT_EQ(CaptureFilePath(L"D:\\スクショ", now, L"固K", ImageFormat::Png),
              L"D:\\スクショ\\20240315_142530_045_固K.png");
    EXPECT_EQ(CaptureFilePath(L"D:\\スクショ", now, L"全B", ImageFormat::Jpg),
              L"D:\\スクショ\\20240315_142530_045_全B.jpg");
}

} // namespace
} // namespace mirulo::capture
