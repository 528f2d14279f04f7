#include "settings/SettingsFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Handles.h"
#include "platform/SystemError.h"
#include "platform/Wide.h"

namespace mirulo::settings {
namespace {

using platform::Narrow;
using platform::UniqueKernelHandle;
using Reason = SettingsFileError::Reason;

std::string ReadBytes(const std::wstring& path) {
    UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(file) << "cannot open " << Narrow(path);
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (file && ::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    return bytes;
}

void WriteBytes(const std::wstring& path, std::string_view bytes) {
    UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << "cannot create " << Narrow(path);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ASSERT_EQ(written, bytes.size());
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

IniDocument SampleDocument() {
    IniDocument document;
    document.WriteString("System", "Folder", "D:\\スクリーンショット\\ミルロ");
    document.WriteInteger("System", "Top170", 120);
    document.WriteString("Other", "kept", "yes");
    return document;
}

class SettingsFileTest : public testing::Test {
protected:
    void SetUp() override {
        temp_ = std::make_unique<testkit::TempFolder>(L"ミルロ設定テスト");
        folder_ = temp_->path();
        path_ = SettingsFile::PathFor(folder_ + L"\\キャプチャ.exe");
    }
    void TearDown() override { temp_.reset(); }

    std::vector<std::wstring> FolderEntries() const {
        std::vector<std::wstring> names = testkit::FolderNames(folder_);
        std::sort(names.begin(), names.end());
        return names;
    }

    std::unique_ptr<testkit::TempFolder> temp_;
    std::wstring folder_;
    std::wstring path_;
};

const std::wstring kSettingsName = L"キャプチャ.exe_ユーザー設定.ini";

TEST(SettingsPath, IsTheExecutablePathWithSuffix) {
    EXPECT_EQ(SettingsPathFor(L"D:\\Tools\\capture.exe"), L"D:\\Tools\\capture.exe_ユーザー設定.ini");
    EXPECT_EQ(SettingsFile::TemporaryPathFor(L"D:\\a.ini"), L"D:\\a.ini.tmp");
}

TEST_F(SettingsFileTest, SaveWritesTheDocumentBytesAndLoadReadsThemBack) {
    const IniDocument document = SampleDocument();
    SettingsFile::Save(path_, document);

    EXPECT_EQ(ReadBytes(path_), document.Serialize());
    EXPECT_EQ(SettingsFile::Load(path_), document);
    EXPECT_EQ(FolderEntries(), std::vector<std::wstring>{kSettingsName});
}

TEST_F(SettingsFileTest, SaveReplacesAnExistingFileWhole) {
    WriteBytes(path_, std::string(5000, 'x') + "\r\n[System]\r\nFolder=old\r\n");
    const IniDocument document = SampleDocument();
    SettingsFile::Save(path_, document);

    EXPECT_EQ(ReadBytes(path_), document.Serialize());
    EXPECT_EQ(FolderEntries(), std::vector<std::wstring>{kSettingsName});
}

TEST_F(SettingsFileTest, SaveKeepsTheUsersFileAttributes) {
    WriteBytes(path_, "[System]\r\n");
    ASSERT_TRUE(::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_HIDDEN));
    SettingsFile::Save(path_, SampleDocument());

    EXPECT_NE(::GetFileAttributesW(path_.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(ReadBytes(path_), SampleDocument().Serialize());
}

TEST_F(SettingsFileTest, LargeDocumentCrossesChunkBoundaries) {
    IniDocument document;
    for (int i = 0; i < 60000; ++i) {
        document.WriteString("System", "Key" + std::to_string(i),
                             std::string(50, static_cast<char>('a' + i % 26)));
    }
    SettingsFile::Save(path_, document);
    ASSERT_GT(ReadBytes(path_).size(), 3u * 1024 * 1024);
    EXPECT_EQ(SettingsFile::Load(path_), document);
}

TEST_F(SettingsFileTest, MissingFileOrFolderReadsAsEmpty) {
    EXPECT_EQ(SettingsFile::Load(path_), IniDocument());
    EXPECT_EQ(SettingsFile::Load(folder_ + L"\\無い\\x.exe_ユーザー設定.ini"), IniDocument());
    EXPECT_TRUE(FolderEntries().empty()) << "loading creates nothing";
}

// Each case puts the folder into a state in which the save cannot succeed; a
// handle it returns is held open until the save has been tried.
struct FailingSave {
    const char* name;
    std::function<UniqueKernelHandle(const std::wstring& path)> arrange;
    Reason reason;
};

class SaveFailure : public SettingsFileTest, public testing::WithParamInterface<FailingSave> {};

TEST_P(SaveFailure, LeavesOldFileByteIdenticalAndNoTemporaryFile) {
    const std::string oldBytes = "\xEF\xBB\xBF[System]\r\nFolder=C:\\古い\r\n; the user's own comment\r\n";
    WriteBytes(path_, oldBytes);
    UniqueKernelHandle held = GetParam().arrange(path_);
    const std::vector<std::wstring> before = FolderEntries();

    try {
        SettingsFile::Save(path_, SampleDocument());
        ADD_FAILURE() << "save reported success";
    } catch (const SettingsFileError& error) {
        EXPECT_EQ(error.reason(), GetParam().reason);
        const std::string message = error.what();
        EXPECT_NE(message.find(Narrow(path_)), std::string::npos) << message;
        EXPECT_NE(error.systemError(), 0u);
        EXPECT_NE(message.find(Narrow(platform::SystemMessage(error.systemError()))), std::string::npos)
            << message;
    }
    held.reset();

    EXPECT_EQ(FolderEntries(), before);
    if (IsFile(path_)) {
        ::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(ReadBytes(path_), oldBytes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveFailure,
    testing::Values(FailingSave{"ReadOnlyTarget",
                                [](const std::wstring& path) {
                                    EXPECT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
                                    return UniqueKernelHandle();
                                },
                                Reason::ReadOnly},
                    FailingSave{"TargetIsAFolder",
                                [](const std::wstring& path) {
                                    EXPECT_TRUE(::DeleteFileW(path.c_str()));
                                    EXPECT_TRUE(::CreateDirectoryW(path.c_str(), nullptr));
                                    return UniqueKernelHandle();
                                },
                                Reason::CannotWrite},
                    FailingSave{"TemporaryNameTakenByAFolder",
                                [](const std::wstring& path) {
                                    EXPECT_TRUE(::CreateDirectoryW(
                                        SettingsFile::TemporaryPathFor(path).c_str(), nullptr));
                                    return UniqueKernelHandle();
                                },
                                Reason::CannotWrite},
                    FailingSave{"TargetHeldOpenWithoutSharing",
                                [](const std::wstring& path) {
                                    UniqueKernelHandle locked(::CreateFileW(path.c_str(), GENERIC_READ, 0,
                                                                            nullptr, OPEN_EXISTING,
                                                                            FILE_ATTRIBUTE_NORMAL, nullptr));
                                    EXPECT_TRUE(locked);
                                    return locked;
                                },
                                Reason::CannotWrite}),
    [](const testing::TestParamInfo<FailingSave>& testCase) { return std::string(testCase.param.name); });

TEST_F(SettingsFileTest, SaveIntoMissingFolderFailsAndCreatesNothing) {
    const std::wstring path = folder_ + L"\\無いフォルダ\\x.exe_ユーザー設定.ini";
    try {
        SettingsFile::Save(path, SampleDocument());
        FAIL() << "save reported success";
    } catch (const SettingsFileError& error) {
        EXPECT_EQ(error.reason(), Reason::CannotWrite);
        EXPECT_EQ(error.systemError(), static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
    }
    EXPECT_TRUE(FolderEntries().empty());
}

TEST_F(SettingsFileTest, TemporaryFileLeftByACrashIsIgnoredAndReplaced) {
    const std::wstring temporary = SettingsFile::TemporaryPathFor(path_);
    for (const bool readOnly : {false, true}) {
        const IniDocument stored = SampleDocument();
        WriteBytes(path_, stored.Serialize());
        WriteBytes(temporary, "\xEF\xBB\xBF[System]\r\nFolder=half writ");
        if (readOnly) {
            ASSERT_TRUE(::SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_READONLY));
        }

        EXPECT_EQ(SettingsFile::Load(path_), stored);

        IniDocument changed = stored;
        changed.WriteInteger("System", "Top170", 7);
        SettingsFile::Save(path_, changed);
        EXPECT_EQ(SettingsFile::Load(path_), changed);
        EXPECT_EQ(FolderEntries(), std::vector<std::wstring>{kSettingsName}) << "read-only: " << readOnly;
    }
}

// A save ended after the temporary file was complete but before the rename,
// with no settings file left: the new content is the user's settings. A cut
// temporary file is never taken for them.
TEST_F(SettingsFileTest, WithTheFileMissingOnlyACompleteTemporaryFileIsTakenForTheSettings) {
    IniDocument saved;
    saved.WriteInteger("System", "Top170", 5);
    saved.WriteString("System", "Folder", "D:\\写真");
    saved.WriteBool("System", "cb_IllustNotShow", false);
    const std::string whole = saved.Serialize();
    const std::wstring temporary = SettingsFile::TemporaryPathFor(path_);
    struct Case {
        const char* name;
        std::string bytes;
        bool taken;
    };
    for (const Case& c :
         {Case{"whole", whole, true}, Case{"cut at the end", whole.substr(0, whole.size() - 2), false},
          Case{"cut in a key", whole.substr(0, 30), false},
          Case{"other keys only", "\xEF\xBB\xBF[System]\r\nX=1\r\n\r\n", false}}) {
        SCOPED_TRACE(c.name);
        WriteBytes(temporary, c.bytes);
        EXPECT_EQ(SettingsFile::Load(path_), c.taken ? saved : IniDocument());
        EXPECT_EQ(IsFile(path_), c.taken);
        ::DeleteFileW(path_.c_str());
        ::DeleteFileW(temporary.c_str());
    }
}

TEST_F(SettingsFileTest, UnreadableFilesAreReportedAndNeverChanged) {
    const std::string shiftJis = "[System]\r\nFolder=C:\\\x83\x58\x83\x4E\r\n";
    WriteBytes(path_, shiftJis);
    try {
        (void)SettingsFile::Load(path_);
        FAIL() << "load reported success";
    } catch (const SettingsFileError& error) {
        EXPECT_EQ(error.reason(), Reason::NotUtf8);
        EXPECT_NE(std::string(error.what()).find(Narrow(path_)), std::string::npos);
    }
    EXPECT_EQ(ReadBytes(path_), shiftJis);

    UniqueKernelHandle locked(::CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(locked);
    try {
        (void)SettingsFile::Load(path_);
        FAIL() << "load of a locked file reported success";
    } catch (const SettingsFileError& error) {
        EXPECT_EQ(error.reason(), Reason::CannotRead);
        EXPECT_EQ(error.systemError(), static_cast<std::uint32_t>(ERROR_SHARING_VIOLATION));
        EXPECT_NE(std::string(error.what()).find(Narrow(platform::SystemMessage(ERROR_SHARING_VIOLATION))),
                  std::string::npos);
    }
}

TEST_F(SettingsFileTest, FolderInPlaceOfTheFileCannotBeRead) {
    ASSERT_TRUE(::CreateDirectoryW(path_.c_str(), nullptr));
    try {
        (void)SettingsFile::Load(path_);
        FAIL() << "load reported success";
    } catch (const SettingsFileError& error) {
        EXPECT_EQ(error.reason(), Reason::CannotRead);
    }
}

TEST_F(SettingsFileTest, UnreadableFileMovedAsideKeepsItsBytesAndMakesRoomForANewOne) {
    const std::string first = "Folder=\xFF first";
    const std::string second = "Folder=\xFF second";
    WriteBytes(path_, first);
    const std::wstring firstBackup = SettingsFile::MoveAsideUnreadable(path_);
    EXPECT_EQ(firstBackup, path_ + L".unreadable.bak");
    EXPECT_FALSE(IsFile(path_));
    EXPECT_EQ(ReadBytes(firstBackup), first);

    WriteBytes(path_, second);
    const std::wstring secondBackup = SettingsFile::MoveAsideUnreadable(path_);
    EXPECT_EQ(secondBackup, path_ + L".unreadable-2.bak");
    EXPECT_EQ(ReadBytes(firstBackup), first) << "an earlier backup is never overwritten";
    EXPECT_EQ(ReadBytes(secondBackup), second);

    SettingsFile::Save(path_, SampleDocument());
    EXPECT_EQ(SettingsFile::Load(path_), SampleDocument());
}

TEST_F(SettingsFileTest, AFileThatIsGoneNeedsNoSettingAside) {
    EXPECT_EQ(SettingsFile::MoveAsideUnreadable(path_), L"");
    EXPECT_FALSE(IsFile(path_ + L".unreadable.bak"));
}

TEST_F(SettingsFileTest, AFileThatCannotBeRenamedIsReportedAndStaysWhereItIs) {
    WriteBytes(path_, "Folder=\xFF");
    HANDLE held = ::CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    try {
        (void)SettingsFile::MoveAsideUnreadable(path_);
        ADD_FAILURE() << "move reported success";
    } catch (const SettingsFileError& error) {
        EXPECT_EQ(error.reason(), Reason::CannotMoveAside);
    }
    ::CloseHandle(held);
    EXPECT_EQ(ReadBytes(path_), "Folder=\xFF");
}

} // namespace
} // namespace mirulo::settings
