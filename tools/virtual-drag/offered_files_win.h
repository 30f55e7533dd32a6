#pragma once
// A data object that offers files without paths, as a phone's folder in
// Explorer or a mail program does: CFSTR_FILEDESCRIPTORW and
// CFSTR_FILECONTENTS (one stream a file, chosen by its index), nothing else.
// Optionally asynchronous (IDataObjectAsyncCapability), and a file's contents
// can break off after some bytes. Used by tools/virtual-drag and the Windows tests.
#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

struct OfferedFile {
    std::wstring name;              // as the descriptor gives it ("DCIM\IMG_1.HEIC" under a folder)
    std::string bytes;
    bool folder = false;
    size_t failAfter = SIZE_MAX;    // the stream fails once this many bytes are read
    bool asMemory = false;          // contents as a memory block rather than a stream
    uint64_t writeTime = 0;         // FILETIME ticks for FD_WRITESTIME; 0: none
};

// IUnknown for the small objects here; `Self` lists the interfaces it answers for.
template <class Self>
class OfferedUnknown {
public:
    ULONG Count() const { return static_cast<ULONG>(refs_); }
protected:
    ULONG Add() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG Drop()
    {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete static_cast<Self*>(this);
        return static_cast<ULONG>(left);
    }
private:
    LONG refs_ = 1;
};

// A file's contents as a stream that may break off.
class OfferedStream final : public IStream, public OfferedUnknown<OfferedStream> {
public:
    OfferedStream(std::string bytes, size_t failAfter) : bytes_(std::move(bytes)), failAfter_(failAfter) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid != IID_IUnknown && iid != IID_IStream && iid != IID_ISequentialStream) return *out = nullptr, E_NOINTERFACE;
        *out = static_cast<IStream*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return Drop(); }
    // Up to `failAfter` bytes come as asked for; the read after them fails.
    HRESULT STDMETHODCALLTYPE Read(void* into, ULONG wanted, ULONG* got) override
    {
        if (got) *got = 0;
        if (at_ >= failAfter_) return E_FAIL;
        const ULONG n = static_cast<ULONG>(std::min({size_t(wanted), bytes_.size() - std::min(at_, bytes_.size()), failAfter_ - at_}));
        std::memcpy(into, bytes_.data() + at_, n);
        at_ += n;
        if (got) *got = n;
        return n < wanted ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* now) override
    {
        const int64_t base = origin == STREAM_SEEK_SET ? 0 : origin == STREAM_SEEK_CUR ? int64_t(at_) : int64_t(bytes_.size());
        if (base + move.QuadPart < 0) return STG_E_INVALIDFUNCTION;
        at_ = static_cast<size_t>(base + move.QuadPart);
        if (now) now->QuadPart = at_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override
    {
        *stat = STATSTG{};
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = bytes_.size();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }
private:
    std::string bytes_;
    size_t failAfter_;
    size_t at_ = 0;
};

class OfferedFiles final : public IDataObject, public IDataObjectAsyncCapability, public OfferedUnknown<OfferedFiles> {
public:
    OfferedFiles(std::vector<OfferedFile> files, bool async) : files_(std::move(files)), async_(async) {}
    bool operationEnded() const { return ended_; }
    DWORD endedEffect() const { return endedEffect_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IDataObject) *out = static_cast<IDataObject*>(this);
        else if (iid == IID_IDataObjectAsyncCapability && async_) *out = static_cast<IDataObjectAsyncCapability*>(this);
        else return *out = nullptr, E_NOINTERFACE;
        Add();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return Drop(); }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
        *medium = STGMEDIUM{};
        if (format->cfFormat == Descriptors()) {
            const size_t bytes = sizeof(FILEGROUPDESCRIPTORW) + (std::max<size_t>(files_.size(), 1) - 1) * sizeof(FILEDESCRIPTORW);
            medium->hGlobal = GlobalAlloc(GHND, bytes);
            auto* group = static_cast<FILEGROUPDESCRIPTORW*>(GlobalLock(medium->hGlobal));
            group->cItems = static_cast<UINT>(files_.size());
            for (size_t i = 0; i < files_.size(); ++i) {
                FILEDESCRIPTORW& d = group->fgd[i];
                d.dwFlags = FD_ATTRIBUTES | FD_FILESIZE | FD_PROGRESSUI | FD_UNICODE | (files_[i].writeTime ? FD_WRITESTIME : 0);
                d.dwFileAttributes = files_[i].folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
                d.nFileSizeLow = static_cast<DWORD>(files_[i].bytes.size());
                d.ftLastWriteTime = FILETIME{static_cast<DWORD>(files_[i].writeTime), static_cast<DWORD>(files_[i].writeTime >> 32)};
                wcsncpy(d.cFileName, files_[i].name.c_str(), MAX_PATH - 1);
            }
            GlobalUnlock(medium->hGlobal);
            medium->tymed = TYMED_HGLOBAL;
            return S_OK;
        }
        const OfferedFile& file = files_[static_cast<size_t>(format->lindex)];
        if (file.asMemory) {
            medium->hGlobal = GlobalAlloc(GMEM_MOVEABLE, std::max<size_t>(file.bytes.size(), 1));
            std::memcpy(GlobalLock(medium->hGlobal), file.bytes.data(), file.bytes.size());
            GlobalUnlock(medium->hGlobal);
            medium->tymed = TYMED_HGLOBAL;
        } else {
            medium->pstm = new OfferedStream(file.bytes, file.failAfter);
            medium->tymed = TYMED_ISTREAM;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override
    {
        if (format->cfFormat == Descriptors()) return (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_TYMED;
        if (format->cfFormat != Contents()) return DV_E_FORMATETC;
        if (format->lindex < 0 || static_cast<size_t>(format->lindex) >= files_.size() || files_[format->lindex].folder)
            return DV_E_LINDEX;
        return (format->tymed & (files_[format->lindex].asMemory ? TYMED_HGLOBAL : TYMED_ISTREAM)) ? S_OK : DV_E_TYMED;
    }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override
    {
        if (direction != DATADIR_GET) return E_NOTIMPL;
        const FORMATETC offered[] = {{Descriptors(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
                                     {Contents(), nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM | TYMED_HGLOBAL}};
        return SHCreateStdEnumFmtEtc(2, offered, formats);
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override { return out->ptd = nullptr, E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

    HRESULT STDMETHODCALLTYPE SetAsyncMode(BOOL async) override { return async_ = async != FALSE, S_OK; }
    HRESULT STDMETHODCALLTYPE GetAsyncMode(BOOL* async) override { return *async = async_, S_OK; }
    HRESULT STDMETHODCALLTYPE StartOperation(IBindCtx*) override { return started_ = true, S_OK; }
    HRESULT STDMETHODCALLTYPE InOperation(BOOL* in) override { return *in = started_ && !ended_, S_OK; }
    HRESULT STDMETHODCALLTYPE EndOperation(HRESULT, IBindCtx*, DWORD effect) override
    {
        ended_ = true;
        endedEffect_ = effect;
        return S_OK;
    }

    static CLIPFORMAT Descriptors() { return static_cast<CLIPFORMAT>(RegisterClipboardFormat(CFSTR_FILEDESCRIPTORW)); }
    static CLIPFORMAT Contents() { return static_cast<CLIPFORMAT>(RegisterClipboardFormat(CFSTR_FILECONTENTS)); }

private:
    std::vector<OfferedFile> files_;
    bool async_;
    bool started_ = false;
    bool ended_ = false;
    DWORD endedEffect_ = DROPEFFECT_NONE;
};
