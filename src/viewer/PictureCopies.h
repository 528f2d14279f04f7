#pragma once
// The grey-scale and sepia copies written beside a saved picture.
//
// Both return the target's path when a copy was written, or an empty text when
// nothing was done: the source is missing, is not a ".jpg" or ".png" file, or
// already is a copy of that kind. A copy is written to a temporary file and
// renamed over the target, so a failed copy never leaves a partial file under
// the target's name and never damages an earlier copy. A source that cannot be
// decoded or a target that cannot be written throws, with the reason for the
// user.
#include <stdexcept>
#include <string>

namespace mirulo::viewer {

// A step of the sepia drawing or encoding failed; what() names the step and its
// code. The caller tells the user which picture it was.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// 8-bit grey palette PNG for a ".png" source; a quality-90 baseline JPEG whose
// three channels carry the same grey for a ".jpg" source.
std::wstring MakeGrayCopy(const std::wstring& source);

// The picture drawn through the sepia colour matrix by GDI+, encoded as PNG or
// JPEG (after the source's extension) by the Windows Imaging Component with its
// default options. COM must be initialised on the calling thread.
std::wstring MakeSepiaCopy(const std::wstring& source);

// Where a copy is written before it takes its name: ".~mirulo-copy.tmp" beside
// it. One short name, so that a copy whose own name is as long as the file
// system allows can still be written; a copy is made one at a time.
std::wstring CopyTemporaryPath(const std::wstring& target);

// Removes what a copy cut short by a crash or a kill left in `folder`: the file
// of exactly that temporary name, nothing else. True when one was removed.
bool RemoveInterruptedCopy(const std::wstring& folder);

} // namespace mirulo::viewer
