// Which access lists make a place of the elevated program unsafe: what users
// other than administrators and the system may do there.
#include "integration/UnsafePlaces.h"

#include <gtest/gtest.h>

#include "platform/RecordingHost.h"
#include "platform/Wide.h"

namespace mirulo::integration {
namespace {

TEST(AccessListLetsOrdinaryUsersChange, TellsWhoMayChangeWhat) {
    struct Case {
        const wchar_t* list;
        bool unsafe;
    };
    const Case cases[] = {
        // Program Files: users read and run only; TrustedInstaller, administrators and the system change.
        {L"D:PAI(A;;FA;;;S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464)(A;;0x1301bf;;;SY)"
         L"(A;;0x1301bf;;;BA)(A;;0x1200a9;;;BU)(A;OICIIO;GA;;;CO)",
         false},
        // A folder in the root of C: as a user makes it: Authenticated Users may modify.
        {L"D:AI(A;ID;FA;;;BA)(A;ID;FA;;;SY)(A;ID;0x1301bf;;;AU)(A;ID;0x1200a9;;;BU)", true},
        {L"D:(A;;FA;;;BA)(A;;FA;;;WD)", true},                   // Everyone full
        {L"D:(A;;FA;;;BA)(A;;0x4;;;BU)", true},                  // Users may add sub-folders (append)
        {L"D:(A;;FA;;;BA)(A;;0x2;;;IU)", true},                  // Interactive may add files (write)
        {L"D:(A;;FA;;;BA)(A;;0x10000;;;AU)", true},              // Authenticated Users may delete
        {L"D:(A;;FA;;;BA)(A;;0x40;;;BU)", true},                 // Users may delete what the folder holds
        {L"D:(A;;FA;;;BA)(A;;WD;;;BU)", true},                   // Users may change the permissions
        {L"D:(A;;FA;;;BA)(A;;GW;;;BU)", true},                   // generic write
        {L"D:NO_ACCESS_CONTROL", true},                          // no list: everybody everything
        {L"D:(A;;FA;;;BA)(A;OICIIO;FA;;;BU)", false},            // only inherited by what it will hold
        {L"D:(A;;FA;;;BA)(A;;0x1200a9;;;WD)", false},            // Everyone reads
        {L"D:(A;;FA;;;SY)(A;;FA;;;S-1-5-21-1-2-3-1001)", false}, // one named account, not every user
        {L"D:(D;;FA;;;BU)(A;;FA;;;BA)", false},                  // a denial gives nothing
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AccessListLetsOrdinaryUsersChange(c.list), c.unsafe) << platform::Narrow(c.list);
    }
}

TEST(UnsafeProgramPlaces, NamesTheFolderTheProgramAndTheSettingsThatUsersCanChange) {
    platform::RecordingHost host;
    const std::wstring safe = L"D:(A;;FA;;;BA)(A;;0x1200a9;;;BU)";
    const std::wstring open = L"D:(A;;FA;;;BA)(A;;0x1301bf;;;AU)";
    host.accessLists = {{L"C:\\Tools\\Mirulo", open},
                        {L"C:\\Tools\\Mirulo\\Mirulo.exe", safe},
                        {L"C:\\Tools\\Mirulo\\Mirulo.exe_ユーザー設定.ini", open},
                        {L"D:\\", open},
                        {L"D:\\Mirulo.exe", safe}};
    EXPECT_EQ(
        UnsafeProgramPlaces(host, L"C:\\Tools\\Mirulo\\Mirulo.exe",
                            L"C:\\Tools\\Mirulo\\Mirulo.exe_ユーザー設定.ini"),
        (std::vector<std::wstring>{L"C:\\Tools\\Mirulo", L"C:\\Tools\\Mirulo\\Mirulo.exe_ユーザー設定.ini"}));
    // The root of a drive is the folder "D:\", not "D:".
    EXPECT_EQ(UnsafeProgramPlaces(host, L"D:\\Mirulo.exe", L"D:\\missing.ini"),
              std::vector<std::wstring>{L"D:\\"});
}

} // namespace
} // namespace mirulo::integration
