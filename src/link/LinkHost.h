#pragma once

// What the serial transaction layer needs from the main window that owns it.
class LinkHost
{
public:
    // Progress dialogs as seen by the layer.
    enum { NoDialog = 0, MessageDialog = 1, FileWaitDialog = 2 };

    virtual ~LinkHost() = default;

    // Which progress dialog shows: the message dialog, the file progress dialog (wins when
    // both show) or none.
    virtual int shownProgressDialog() const = 0;
    virtual void hideProgressDialogs() = 0;
    // Shows that dialog again over the main window (clears stopRequested).
    virtual void showProgressDialog(int which) = 0;
    virtual void bringToFront() = 0;

    // The "Communication Dialog" with its Stop button; showing it clears stopRequested.
    virtual void showCommDialog() = 0;
    virtual void hideCommDialog() = 0;

    // Ticks the COM menu item `index` (0..3) and unticks the others.
    virtual void portSelected(int index) = 0;
};
