#include "capture/CaptureFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "image/JpegWriter.h"
#include "image/PngWriter.h"
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

std::vector<std::wstring> List(const std::wstring& folder) {
    return testkit::FolderNames(folder);
}

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

TEST(WriteFileReplacing, WorksInAFolderLongerThanMaxPath) {
    const testkit::TempFolder root(L"mirulo-long");
    std::wstring folder = root.path();
    while (folder.size() <= MAX_PATH + 20) {
        folder += L"\\長いフォルダ名のフォルダ_" + std::wstring(20, L'x');
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr)) << ::GetLastError();
    }
    const std::wstring path = folder + L"\\" + kName;
    WriteFileReplacing(path, AsBytes("a picture"));
    WriteFileReplacing(path, AsBytes("a newer picture"));
    EXPECT_EQ(ReadFileBytes(L"\\\\?\\" + path), "a newer picture");
    EXPECT_EQ(List(L"\\\\?\\" + folder), std::vector<std::wstring>{kName});
}

std::string Encoded(bool png) {
    image::Image picture{16, 8, 3, std::vector<std::uint8_t>(16 * 8 * 3)};
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        picture.pixels[i] = static_cast<std::uint8_t>(i * 7);
    }
    const std::vector<std::uint8_t> bytes = png ? image::EncodePng(picture) : image::EncodeJpeg(picture);
    return std::string(bytes.begin(), bytes.end());
}

// What a program killed during a save leaves behind, and what the next start
// makes of it.
TEST(FinishInterruptedSaves, FinishesWholePicturesRemovesCutOnesAndTouchesNothingElse) {
    const testkit::TempFolder folder(L"mirulo-leftovers");
    const std::string png = Encoded(true);
    const std::string jpg = Encoded(false);
    const struct {
        const wchar_t* name;
        std::string bytes;
    } before[] = {
        {L".~mirulo-20240315_142530_045_固K.png.tmp", png},
        {L".~mirulo-20240315_142531_000_全K.jpg.tmp", jpg},
        {L".~mirulo-20240315_142532_000_全K.png.tmp", png.substr(0, png.size() / 2)},
        {L".~mirulo-20240315_142533_000_全K.jpg.tmp", jpg.substr(0, jpg.size() - 2)},
        {L".~mirulo-20240315_142534_000_固T.png.tmp", ""},
        {L"20240315_142535_000_全B.png", "an older capture of the same name"},
        {L"20240315_142535_000_全B (2).png", "and one more"},
        {L".~mirulo-20240315_142535_000_全B.png.tmp", png},
        // What a rename to the temporary form left: a whole picture of the same name.
        {L"20240315_142537_000_全B.png", "the user's picture"},
        {L".~mirulo-20240315_142537_000_全B.png.tmp", png},
        {L".~mirulo-notes.txt.tmp", "not ours"},
        {L".~mirulo-20240315_142536_000_固K.bmp.tmp", png},
        {L"someone else's.tmp", "not ours"},
    };
    for (const auto& file : before) {
        CreateFileWith(folder / file.name, file.bytes);
    }

    const InterruptedSaves result = FinishInterruptedSaves(folder.path());

    std::vector<std::wstring> finished = result.finished;
    std::sort(finished.begin(), finished.end());
    EXPECT_EQ(finished, (std::vector<std::wstring>{
                            L"20240315_142530_045_固K.png", L"20240315_142531_000_全K.jpg",
                            L"20240315_142535_000_全B (3).png", L"20240315_142537_000_全B (2).png"}));
    EXPECT_EQ(result.removed.size(), 3u);
    std::vector<std::wstring> after = List(folder.path());
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, (std::vector<std::wstring>{
                         L".~mirulo-20240315_142536_000_固K.bmp.tmp", L".~mirulo-notes.txt.tmp",
                         L"20240315_142530_045_固K.png", L"20240315_142531_000_全K.jpg",
                         L"20240315_142535_000_全B (2).png", L"20240315_142535_000_全B (3).png",
                         L"20240315_142535_000_全B.png", L"20240315_142537_000_全B (2).png",
                         L"20240315_142537_000_全B.png", L"someone else's.tmp"}));
    EXPECT_EQ(ReadFileBytes(folder / L"20240315_142530_045_固K.png"), png);
    // Nothing is replaced: every earlier picture keeps its bytes beside the recovered one.
    EXPECT_EQ(ReadFileBytes(folder / L"20240315_142535_000_全B.png"),
              std::string("an older capture of the same name"));
    EXPECT_EQ(ReadFileBytes(folder / L"20240315_142535_000_全B (2).png"), std::string("and one more"));
    EXPECT_EQ(ReadFileBytes(folder / L"20240315_142535_000_全B (3).png"), png);
    EXPECT_EQ(ReadFileBytes(folder / L"20240315_142537_000_全B.png"), std::string("the user's picture"));
    EXPECT_EQ(ReadFileBytes(folder / L"20240315_142537_000_全B (2).png"), png);
    EXPECT_EQ(ReadFileBytes(folder / L".~mirulo-notes.txt.tmp"), std::string("not ours"));
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
