#pragma once
// Where captures go on disk: the saved file's path, and writing the file so that
// it appears whole or not at all. (The save folder test is library::IsFolder.)
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "capture/CaptureFileName.h"
#include "platform/Host.h"

namespace mirulo::capture {

// `saveFolder` exactly as stored, "\", and the capture's name for `now`
// ("yyyymmdd_hhnnss_zzz_<code>.png|.jpg").
std::wstring CaptureFilePath(std::wstring_view saveFolder, const platform::LocalTime& now,
                             std::wstring_view code, ImageFormat format);

// Writes `bytes` to `path`, replacing a file of that name, all or nothing
// (platform::ReplaceFileAtomically). The bytes go first to TemporaryPathFor(path),
// which no picture list shows and from which the picture's name can be
// recovered. On failure platform::UserError names the file and the system's
// reason, and no file is left behind.
void WriteFileReplacing(const std::wstring& path, std::span<const std::uint8_t> bytes);
// The same with the temporary file given: another writer's own, beside `path`.
void WriteFileReplacing(const std::wstring& path, std::span<const std::uint8_t> bytes,
                        const std::wstring& temporary);

// ".~mirulo-" + the picture's name + ".tmp", beside it.
std::wstring TemporaryPathFor(const std::wstring& path);

// What a program ended during a save left in the save folder: a temporary
// picture that decodes whole is finished under its own name, or under
// "<stem> (2).png" and on when that name is taken (it never replaces anything),
// and a cut one is removed. Only temporary files named after a capture are
// touched.
struct InterruptedSaves {
    std::vector<std::wstring> finished; // the names the pictures were given
    std::vector<std::wstring> removed;  // the temporary files' names
};
InterruptedSaves FinishInterruptedSaves(const std::wstring& saveFolder);

} // namespace mirulo::capture
