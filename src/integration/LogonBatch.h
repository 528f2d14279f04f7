#pragma once
// The one-line batch file that registers or removes the logon task "Mirulo"
// through SCHTASKS, and the places the feature uses. Portable: the lines are
// pieced together here and only written out (in the ANSI code page) and run by
// the Win32 layer.
#include <string>
#include <string_view>

namespace mirulo::integration {

inline constexpr std::u16string_view kBatchFileName = u"Mirulo.bat";
inline constexpr std::u16string_view kLogFileName = u"Mirulo.log";

// The local application-data folder followed by "\Temp\".
std::u16string LogonTempFolder(std::u16string_view localAppData);

// The system folder followed by "\Tasks\Mirulo": the task's definition file,
// whose presence says at start-up that the task is registered.
std::u16string TaskDefinitionPath(std::u16string_view systemFolder);

// A path as the command interpreter must read it inside a batch file: "%" starts
// a variable there, so each one is doubled. Paths without "%" come out as they are.
std::u16string BatchLiteral(std::u16string_view path);

// SCHTASKS /Create ... for the program at executablePath, run with "/min" at
// logon with the highest privileges, its output sent to logPath. No line break.
std::u16string RegisterTaskLine(std::u16string_view executablePath, std::u16string_view logPath);

// SCHTASKS /delete ... for the task, its output sent to logPath. No line break.
std::u16string RemoveTaskLine(std::u16string_view logPath);

} // namespace mirulo::integration
