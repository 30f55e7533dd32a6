#pragma once
// Every Win32 handle the program opens has one owner from this header, so the
// release calls (CloseHandle, FindClose, RegCloseKey, DeleteObject,
// DragFinish, a COM object's Release, ReleaseStgMedium) appear here and nowhere else. GDI+ objects have their own owners
// in imaging/gdiplus_win.h.
#include <windows.h>

#include <ole2.h>
#include <shellapi.h>

#include <string>

// A non-copyable, movable owner of one handle. `Traits` gives the empty value,
// how to tell a live handle, and how to release it.
template <class Traits>
class Owner {
public:
    using Handle = typename Traits::Handle;
    Owner() = default;
    explicit Owner(Handle h) : h_(h) {}
    ~Owner() { reset(); }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    Owner(Owner&& other) noexcept : h_(other.release()) {}
    Owner& operator=(Owner&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }
    Handle get() const { return h_; }
    Handle* out() { reset(); return &h_; }  // RegOpenKeyExA(..., key.out())
    Handle release() { Handle h = h_; h_ = Traits::Empty(); return h; }
    void reset(Handle h = Traits::Empty())
    {
        if (Traits::Live(h_)) Traits::Free(h_);
        h_ = h;
    }
    explicit operator bool() const { return Traits::Live(h_); }
private:
    Handle h_ = Traits::Empty();
};

namespace owner_traits {

// Kernel handles: CreateFile answers INVALID_HANDLE_VALUE, CreateMutex null; both are empty.
struct Kernel {
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static bool Live(Handle h) { return h && h != INVALID_HANDLE_VALUE; }
    static void Free(Handle h) { CloseHandle(h); }
};
struct Find {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static bool Live(Handle h) { return h && h != INVALID_HANDLE_VALUE; }
    static void Free(Handle h) { FindClose(h); }
};
struct Registry {
    using Handle = HKEY;
    static Handle Empty() { return nullptr; }
    static bool Live(Handle h) { return h != nullptr; }
    static void Free(Handle h) { RegCloseKey(h); }
};
template <class T>
struct Gdi {
    using Handle = T;
    static Handle Empty() { return nullptr; }
    static bool Live(Handle h) { return h != nullptr; }
    static void Free(Handle h) { DeleteObject(h); }
};
struct Icon {
    using Handle = HICON;
    static Handle Empty() { return nullptr; }
    static bool Live(Handle h) { return h != nullptr; }
    static void Free(Handle h) { DestroyIcon(h); }
};
struct Drop {
    using Handle = HDROP;
    static Handle Empty() { return nullptr; }
    static bool Live(Handle h) { return h != nullptr; }
    static void Free(Handle h) { DragFinish(h); }
};

template <class T>
struct Com {
    using Handle = T*;
    static Handle Empty() { return nullptr; }
    static bool Live(Handle h) { return h != nullptr; }
    static void Free(Handle h) { h->Release(); }
};

} // namespace owner_traits

using FileHandle = Owner<owner_traits::Kernel>;  // files, mutexes, any kernel object
using FindHandle = Owner<owner_traits::Find>;
using RegKey = Owner<owner_traits::Registry>;
template <class T>
using GdiObject = Owner<owner_traits::Gdi<T>>;  // HBITMAP, HBRUSH, HFONT
using IconHandle = Owner<owner_traits::Icon>;  // icons loaded without LR_SHARED
using DropHandle = Owner<owner_traits::Drop>;
template <class T>
using ComObject = Owner<owner_traits::Com<T>>;  // IStream and other COM interfaces

// What IDataObject::GetData hands over, released with the medium's own rule.
class StgMediumOwner {
public:
    StgMediumOwner() = default;
    ~StgMediumOwner() { reset(); }
    StgMediumOwner(const StgMediumOwner&) = delete;
    StgMediumOwner& operator=(const StgMediumOwner&) = delete;
    STGMEDIUM* out() { reset(); return &medium_; }  // data->GetData(&format, medium.out())
    const STGMEDIUM& get() const { return medium_; }
    void reset()
    {
        if (medium_.tymed != TYMED_NULL) ReleaseStgMedium(&medium_);
        medium_ = STGMEDIUM{};
    }
private:
    STGMEDIUM medium_{};
};

// A global memory block locked for reading while the view lives.
class GlobalView {
public:
    explicit GlobalView(HGLOBAL memory) : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
    ~GlobalView() { if (data_) GlobalUnlock(memory_); }
    GlobalView(const GlobalView&) = delete;
    GlobalView& operator=(const GlobalView&) = delete;
    const void* data() const { return data_; }
    size_t size() const { return data_ ? GlobalSize(memory_) : 0; }
private:
    HGLOBAL memory_;
    void* data_;
};

// COM on this thread for the owner's life: a multithreaded apartment (a
// worker) or, with OLE, the window thread's single-threaded one, which drag
// and drop needs. Nothing is undone when the start failed.
class ComApartment {
public:
    enum class Kind { Multithreaded, OleWindowThread };
    explicit ComApartment(Kind kind)
        : kind_(kind), ok_(SUCCEEDED(kind == Kind::Multithreaded ? CoInitializeEx(nullptr, COINIT_MULTITHREADED) : OleInitialize(nullptr)))
    {
    }
    ~ComApartment()
    {
        if (!ok_) return;
        if (kind_ == Kind::Multithreaded) CoUninitialize();
        else OleUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool ok() const { return ok_; }
private:
    Kind kind_;
    bool ok_;
};

// Closes a file now and tells whether the system took it: a write may fail
// only at the close (a network drive, a full disk).
inline bool CloseNow(FileHandle& file)
{
    const HANDLE h = file.release();
    return !owner_traits::Kernel::Live(h) || CloseHandle(h) != 0;
}

// The full path of the program's own file; empty when the system cannot say.
std::string ModuleFilePath();
