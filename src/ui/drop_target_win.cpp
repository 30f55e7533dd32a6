#include "ui/drop_target_win.h"

#include "common/owners_win.h"
#include "ui/virtual_drop_win.h"
#include "ui/virtual_files.h"

// After our headers: its Folder interface would clash with EntryKind::Folder.
#include <shlobj.h>

namespace {

bool Offers(IDataObject* data, CLIPFORMAT format)
{
    FORMATETC wanted{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return data && data->QueryGetData(&wanted) == S_OK;
}

bool OffersWhatWeTake(IDataObject* data)
{
    return Offers(data, CF_HDROP) || Offers(data, static_cast<CLIPFORMAT>(RegisterClipboardFormatA(CFSTR_FILEDESCRIPTORW))) ||
           Offers(data, static_cast<CLIPFORMAT>(RegisterClipboardFormatA(CFSTR_FILEDESCRIPTORA)));
}

// Files by their paths when the sender has them (a desktop's drop, Explorer on
// a disk), else the files it describes without paths. False when neither.
bool ReadDrop(IDataObject* data, DroppedItems& items)
{
    FORMATETC files{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    StgMediumOwner medium;
    if (SUCCEEDED(data->GetData(&files, medium.out())) && medium.get().tymed == TYMED_HGLOBAL && medium.get().hGlobal) {
        items = ItemsOfDrop(static_cast<HDROP>(medium.get().hGlobal));
        return true;
    }
    items.virtualFiles = VirtualDrop::Take(data);
    if (!items.virtualFiles) return false;
    items.count = static_cast<UINT>(items.virtualFiles->describedCount());
    return true;
}

} // namespace

HRESULT WindowDropTarget::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDropTarget) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG WindowDropTarget::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG WindowDropTarget::Release()
{
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

// Over the whole window the cursor shows a copy for what the window takes,
// during a run too (a drop then is passed over, as it always was).
HRESULT WindowDropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect)
{
    if (!effect) return E_INVALIDARG;
    offered_ = OffersWhatWeTake(data);
    *effect = ChosenDropEffect(offered_, *effect);
    return S_OK;
}

HRESULT WindowDropTarget::DragOver(DWORD, POINTL, DWORD* effect)
{
    if (!effect) return E_INVALIDARG;
    *effect = ChosenDropEffect(offered_, *effect);
    return S_OK;
}

HRESULT WindowDropTarget::DragLeave()
{
    offered_ = false;
    return S_OK;
}

// Only what the drop needs is read here (the names, or the descriptors); the
// window takes it up once the sender has its answer. A copy is answered for
// whatever the window takes, so Wine sends no WM_DROPFILES for it as well.
HRESULT WindowDropTarget::Drop(IDataObject* data, DWORD, POINTL at, DWORD* effect)
{
    if (!effect) return E_INVALIDARG;
    offered_ = false;
    DroppedItems items;
    bool taken = false;
    try {
        taken = data && ReadDrop(data, items);
        *effect = ChosenDropEffect(taken, *effect);
        if (*effect != DROPEFFECT_NONE) {
            POINT client{at.x, at.y};
            ScreenToClient(window_, &client);
            items.at = client;
            drops_.push_back(std::move(items));
            PostMessageA(window_, kMsgDropped, 0, 0);
        } else if (items.virtualFiles) {
            items.virtualFiles->End(DROPEFFECT_NONE);
        }
    } catch (...) {
        *effect = DROPEFFECT_NONE;  // nothing unwinds into the sender's drag loop
    }
    return S_OK;
}

std::optional<DroppedItems> WindowDropTarget::TakeDrop()
{
    if (drops_.empty()) return std::nullopt;
    DroppedItems items = std::move(drops_.front());
    drops_.pop_front();
    return items;
}
