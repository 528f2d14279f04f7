// Any bytes: reading never crashes, and a document that was read is written
// back in a form that reads as the same document (so repeated saves are stable),
// also after the settings have been read from it and written into it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/IniDocument.h"
#include "settings/SettingsValues.h"

namespace {

using mirulo::settings::IniDocument;

void RequireStable(const IniDocument& document) {
    const std::string bytes = document.Serialize();
    const IniDocument reread = IniDocument::Parse(bytes);
    if (!(reread == document) || reread.Serialize() != bytes) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    IniDocument document;
    try {
        document = IniDocument::Parse(bytes);
    } catch (const mirulo::settings::IniEncodingError&) {
        return 0;
    }
    RequireStable(document);

    constexpr mirulo::settings::ScreenDefaults screen{100, 200, 1920, 1080};
    const mirulo::settings::SettingsValues values = mirulo::settings::ReadSettings(document, screen);
    mirulo::settings::WriteSettings(document, values, size % 2 == 0);
    RequireStable(document);
    if (!(mirulo::settings::ReadSettings(document, screen) == values)) {
        std::abort();
    }
    return 0;
}
