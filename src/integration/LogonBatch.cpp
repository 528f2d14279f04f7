#include "integration/LogonBatch.h"

namespace mirulo::integration {

std::u16string LogonTempFolder(std::u16string_view localAppData) {
    return std::u16string(localAppData) + u"\\Temp\\";
}

std::u16string TaskDefinitionPath(std::u16string_view systemFolder) {
    return std::u16string(systemFolder) + u"\\Tasks\\Mirulo";
}

std::u16string BatchLiteral(std::u16string_view path) {
    std::u16string literal;
    literal.reserve(path.size());
    for (const char16_t c : path) {
        literal.push_back(c);
        if (c == u'%') {
            literal.push_back(u'%');
        }
    }
    return literal;
}

std::u16string RegisterTaskLine(std::u16string_view executablePath, std::u16string_view logPath) {
    // %USERNAME% stays for the command interpreter to expand when the batch runs.
    std::u16string line = u"SCHTASKS /Create /RU %USERNAME% /TN Mirulo /TR \"";
    line += BatchLiteral(executablePath);
    line += u" /min\" /SC ONLOGON /IT /RL HIGHEST /F > \"";
    line += BatchLiteral(logPath);
    line += u"\"";
    return line;
}

std::u16string RemoveTaskLine(std::u16string_view logPath) {
    std::u16string line = u"SCHTASKS /delete /TN Mirulo /F > \"";
    line += BatchLiteral(logPath);
    line += u"\"";
    return line;
}

} // namespace mirulo::integration
