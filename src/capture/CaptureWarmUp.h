#pragma once
// What the first capture of a process pays for on top of the others, paid
// ahead, off the capture's path: the screen's device context, set up on the
// first read of the screen, and the PNG encoder's threads with their buffers.
// The encoder gives its part back after a while without captures, as always.

namespace mirulo::capture {

// Reads a corner of the screen the way a snapshot does and has the PNG
// encoder's threads build what they keep for pictures as wide as the desktop.
// Anything that fails is left for the capture to meet and report.
void WarmUpCapture() noexcept;

// The same on a thread of its own, so that the caller (a window that has just
// shown) goes on at once.
void WarmUpCaptureInBackground() noexcept;

} // namespace mirulo::capture
