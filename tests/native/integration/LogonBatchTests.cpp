// The logon task's batch lines, character for character.
#include "integration/LogonBatch.h"

#include <gtest/gtest.h>

#include <string>

namespace mirulo::integration {
namespace {

constexpr std::u16string_view kLog = u"C:\\Users\\taro\\AppData\\Local\\Temp\\Mirulo.log";

struct RegisterCase {
    const char* what;
    std::u16string_view executable;
    std::u16string_view log;
    std::u16string_view line;
};

TEST(LogonBatch, RegisteringLineRunsTheProgramWithMinAtLogonWithTheHighestPrivileges) {
    const RegisterCase cases[] = {
        {"plain path", u"C:\\Mirulo\\Mirulo.exe", kLog,
         u"SCHTASKS /Create /RU %USERNAME% /TN Mirulo /TR \"C:\\Mirulo\\Mirulo.exe /min\" /SC ONLOGON /IT "
         u"/RL HIGHEST /F > \"C:\\Users\\taro\\AppData\\Local\\Temp\\Mirulo.log\""},
        {"blanks stay unquoted inside the quoted /TR value", u"C:\\Program Files\\My Tools\\Mirulo.exe", kLog,
         u"SCHTASKS /Create /RU %USERNAME% /TN Mirulo /TR \"C:\\Program Files\\My Tools\\Mirulo.exe /min\" "
         u"/SC ONLOGON /IT /RL HIGHEST /F > \"C:\\Users\\taro\\AppData\\Local\\Temp\\Mirulo.log\""},
        {"Japanese folder", u"D:\\ツール\\ミルロ\\Mirulo.exe", kLog,
         u"SCHTASKS /Create /RU %USERNAME% /TN Mirulo /TR \"D:\\ツール\\ミルロ\\Mirulo.exe /min\" /SC "
         u"ONLOGON /IT "
         u"/RL HIGHEST /F > \"C:\\Users\\taro\\AppData\\Local\\Temp\\Mirulo.log\""},
        {"percent signs are doubled so the interpreter reads them as they are",
         u"C:\\100%\\%PATH%\\Mirulo.exe", u"C:\\Users\\a%b\\Temp\\Mirulo.log",
         u"SCHTASKS /Create /RU %USERNAME% /TN Mirulo /TR \"C:\\100%%\\%%PATH%%\\Mirulo.exe /min\" /SC "
         u"ONLOGON "
         u"/IT /RL HIGHEST /F > \"C:\\Users\\a%%b\\Temp\\Mirulo.log\""},
        {"metacharacters inside the quotes stay as they are", u"C:\\R&D (x86)\\a^b!\\Mirulo.exe", kLog,
         u"SCHTASKS /Create /RU %USERNAME% /TN Mirulo /TR \"C:\\R&D (x86)\\a^b!\\Mirulo.exe /min\" /SC "
         u"ONLOGON "
         u"/IT /RL HIGHEST /F > \"C:\\Users\\taro\\AppData\\Local\\Temp\\Mirulo.log\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RegisterTaskLine(c.executable, c.log), c.line) << c.what;
    }
}

TEST(LogonBatch, RemovingLineDeletesTheTaskAndLogsToTheGivenFile) {
    EXPECT_EQ(RemoveTaskLine(kLog),
              u"SCHTASKS /delete /TN Mirulo /F > \"C:\\Users\\taro\\AppData\\Local\\Temp\\Mirulo.log\"");
    EXPECT_EQ(RemoveTaskLine(u"C:\\Users\\50%\\Temp\\Mirulo.log"),
              u"SCHTASKS /delete /TN Mirulo /F > \"C:\\Users\\50%%\\Temp\\Mirulo.log\"");
}

} // namespace
} // namespace mirulo::integration
