#pragma once
// The main window as an OLE drop target. It takes files (CF_HDROP, as the
// desktop and Explorer drop them) and files without paths (file descriptors
// and their contents), answers the sender at once with a copy, and hands what
// came to the window as kMsgDropped: the sender never waits for a folder's
// listing, a run's start or a message box.
#include <windows.h>

#include <deque>
#include <optional>

#include "ui/batch_run_win.h"

constexpr UINT kMsgDropped = WM_APP + 3;  // a drop waits in the window's drop target

class WindowDropTarget final : public IDropTarget {
public:
    explicit WindowDropTarget(HWND window) : window_(window) {}
    WindowDropTarget(const WindowDropTarget&) = delete;
    WindowDropTarget& operator=(const WindowDropTarget&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;

    // The oldest drop the window has not taken yet.
    std::optional<DroppedItems> TakeDrop();

private:
    ~WindowDropTarget() = default;
    LONG refs_ = 1;
    HWND window_;
    bool offered_ = false;  // the drag in progress offers something the window takes
    std::deque<DroppedItems> drops_;
};
