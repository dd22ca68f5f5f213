#pragma once
// The window manager's closes of the program's windows.
//
// Qt drops a close that comes from the window system for a window that a
// modal dialog blocks (a progress dialog, a message box shown inside a run):
// only a close() made by the program itself gets through. The close box of
// such a window (on X11 the window manager's WM_DELETE_WINDOW) would do
// nothing, and the window stay after the dialog. KeepBlockedCloses() takes
// up every such close of a top-level window of the program and decides it
// from the event loop, where Qt would deliver it (a click read just before
// it may have opened a modal dialog by then):
//
//  * when the window is not blocked, or a run is on in it or in a window it
//    owns (a running WorkGuard of either), the window is closed as close()
//    does: a guard refuses the close, tells the run to stop and closes the
//    window once the run has unwound; a main window's Quit stops the runs of
//    the windows it owns the same way;
//  * when it is blocked and no run is on, the window closes once the modal
//    dialog is gone, so that nothing closes under the handler that waits for
//    the dialog.
//
// Once a program is enough; every WorkGuard asks for it. Without an X11
// display (offscreen, minimal) it does nothing.

namespace keld {

void KeepBlockedCloses();

}  // namespace keld
