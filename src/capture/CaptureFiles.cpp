#include "capture/CaptureFiles.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "image/JpegReader.h"
#include "image/PngReader.h"
#include "platform/FileWrites.h"
#include "platform/Handles.h"
#include "platform/SystemError.h"
#include "platform/Wide.h"

namespace mirulo::capture {
namespace {

constexpr std::wstring_view kTemporaryPrefix = L".~mirulo-";
constexpr std::wstring_view kTemporarySuffix = L".tmp";

constexpr wchar_t kCannotSave[] = L"画像ファイルを保存できません";

std::size_t NamePart(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? 0 : separator + 1;
}

bool EndsWith(std::wstring_view text, std::wstring_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// "yyyymmdd_hhnnss_zzz_" + two characters + ".png" or ".jpg": only names this
// program gives its pictures.
bool IsCaptureName(std::wstring_view name) {
    constexpr std::wstring_view kShape = L"########_######_###_";
    if (name.size() != kShape.size() + 2 + 4) {
        return false;
    }
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        const bool digit = name[i] >= L'0' && name[i] <= L'9';
        if (kShape[i] == L'#' ? !digit : name[i] != L'_') {
            return false;
        }
    }
    for (const wchar_t c : name.substr(kShape.size(), 2)) {
        if (c < L' ' || std::wstring_view(L"\\/:*?\"<>|.").find(c) != std::wstring_view::npos) {
            return false;
        }
    }
    return EndsWith(name, L".png") || EndsWith(name, L".jpg");
}

std::vector<std::uint8_t> ReadWhole(const std::wstring& path) {
    platform::UniqueKernelHandle file(::CreateFileW(platform::ExtendedLengthPath(path).c_str(), GENERIC_READ,
                                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    // A capture of the largest virtual desktop is far below this.
    constexpr LONGLONG kLargest = 1LL << 31;
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > kLargest) {
        return {};
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        if (!::ReadFile(file.get(), bytes.data() + done, piece, &read, nullptr) || read == 0) {
            return {};
        }
        done += read;
    }
    return bytes;
}

// Whole when our own readers decode every pixel: a write cut short by a crash
// is missing its last rows or the end of the stream.
bool HoldsWholePicture(const std::wstring& path, bool png) {
    const std::vector<std::uint8_t> bytes = ReadWhole(path);
    // The decoders forgive a missing end marker; a finished file of ours has it.
    static constexpr std::uint8_t kPngEnd[] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    static constexpr std::uint8_t kJpegEnd[] = {0xFF, 0xD9};
    const std::span<const std::uint8_t> end =
        png ? std::span<const std::uint8_t>(kPngEnd) : std::span<const std::uint8_t>(kJpegEnd);
    if (bytes.size() < end.size() ||
        !std::equal(end.begin(), end.end(), bytes.end() - static_cast<std::ptrdiff_t>(end.size()))) {
        return false;
    }
    try {
        (void)(png ? image::DecodePng(bytes) : image::DecodeJpeg(bytes));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// The temporary file renamed to `name`, or, when something of that name is
// there already (an older capture of the same millisecond, or a picture the user
// gave that name), to "<stem> (2).png" and on: a recovered picture never takes
// the place of another. The rename itself refuses to replace, so nothing that
// appears in the meantime is lost either.
std::optional<std::wstring> FinishUnderFreeName(const std::wstring& temporary, const std::wstring& folder,
                                                const std::wstring& name) {
    const std::size_t dot = name.rfind(L'.');
    for (int number = 1; number < 1000; ++number) {
        const std::wstring candidate =
            number == 1 ? name
                        : name.substr(0, dot) + L" (" + std::to_wstring(number) + L")" + name.substr(dot);
        if (::MoveFileExW(platform::ExtendedLengthPath(temporary).c_str(),
                          platform::ExtendedLengthPath(folder + candidate).c_str(), MOVEFILE_WRITE_THROUGH)) {
            return candidate;
        }
        const DWORD error = ::GetLastError();
        // A folder of that name answers "access denied" on Windows.
        const bool taken = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ||
                           (error == ERROR_ACCESS_DENIED &&
                            ::GetFileAttributesW(platform::ExtendedLengthPath(folder + candidate).c_str()) !=
                                INVALID_FILE_ATTRIBUTES);
        if (!taken) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace

std::wstring TemporaryPathFor(const std::wstring& path) {
    const std::size_t name = NamePart(path);
    std::wstring temporary = path.substr(0, name);
    temporary += kTemporaryPrefix;
    temporary.append(path, name);
    temporary += kTemporarySuffix;
    return temporary;
}

std::wstring CaptureFilePath(std::wstring_view saveFolder, const platform::LocalTime& now,
                             std::wstring_view code, ImageFormat format) {
    std::wstring path(saveFolder);
    path += L'\\';
    path += platform::AsWide(CaptureFileName(now, platform::AsUtf16View(code), format));
    return path;
}

void WriteFileReplacing(const std::wstring& path, std::span<const std::uint8_t> bytes) {
    WriteFileReplacing(path, bytes, TemporaryPathFor(path));
}

void WriteFileReplacing(const std::wstring& path, std::span<const std::uint8_t> bytes,
                        const std::wstring& temporary) {
    platform::ReplaceFileOrThrow(path, temporary, bytes, kCannotSave);
}

InterruptedSaves FinishInterruptedSaves(const std::wstring& saveFolder) {
    InterruptedSaves result;
    std::wstring folder = saveFolder;
    if (folder.empty() || folder.find(L'\0') != std::wstring::npos) {
        return result;
    }
    if (folder.back() != L'\\') {
        folder += L'\\';
    }
    const std::wstring pattern = platform::ExtendedLengthPath(folder + std::wstring(kTemporaryPrefix) + L"*" +
                                                              std::wstring(kTemporarySuffix));
    std::vector<std::wstring> leftovers;
    WIN32_FIND_DATAW entry{};
    HANDLE search = ::FindFirstFileW(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return result;
    }
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            leftovers.emplace_back(entry.cFileName);
        }
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);

    for (const std::wstring& leftover : leftovers) {
        // The search also matches short (8.3) names; only the long name counts.
        if (leftover.size() <= kTemporaryPrefix.size() + kTemporarySuffix.size() ||
            leftover.compare(0, kTemporaryPrefix.size(), kTemporaryPrefix) != 0 ||
            !EndsWith(leftover, kTemporarySuffix)) {
            continue;
        }
        const std::wstring finalName = leftover.substr(
            kTemporaryPrefix.size(), leftover.size() - kTemporaryPrefix.size() - kTemporarySuffix.size());
        if (!IsCaptureName(finalName)) {
            continue; // not a name of ours: never touched
        }
        const std::wstring temporary = folder + leftover;
        if (HoldsWholePicture(temporary, EndsWith(finalName, L".png"))) {
            if (std::optional<std::wstring> name = FinishUnderFreeName(temporary, folder, finalName)) {
                result.finished.push_back(std::move(*name));
            }
        } else if (::DeleteFileW(platform::ExtendedLengthPath(temporary).c_str())) {
            result.removed.push_back(leftover);
        }
    }
    return result;
}

} // namespace mirulo::capture
