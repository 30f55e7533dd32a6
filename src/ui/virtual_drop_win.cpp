#include "ui/virtual_drop_win.h"

#include <cstddef>
#include <cstring>
#include <cwchar>

#include "common/files_win.h"
#include "common/paths.h"
#include "common/text.h"
#include "common/wide_win.h"

// After our headers: its Folder interface would clash with EntryKind::Folder.
#include <shlobj.h>

namespace {

constexpr size_t kCopyChunk = 1 << 20;
const char* const kCopiesPrefix = "virtual.";

// The shell's format names, in this program's 8-bit form.
CLIPFORMAT ClipFormat(const char* name)
{
    return static_cast<CLIPFORMAT>(RegisterClipboardFormatA(name));
}

uint64_t Ticks(const FILETIME& t)
{
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

FILETIME FileTimeOf(uint64_t ticks)
{
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// A sender that offers only the 8-bit descriptors writes names in its own
// code page, the system's, which is not this program's (UTF-8); text that is
// valid UTF-8 already (ASCII among it) is taken as it is.
std::string NameOf(const FILEDESCRIPTORA& d)
{
    const std::string bytes(d.cFileName, strnlen(d.cFileName, MAX_PATH));
    if (IsValidUtf8(bytes)) return bytes;
    UINT codePage = CP_ACP;
    GetLocaleInfoEx(LOCALE_NAME_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                    reinterpret_cast<wchar_t*>(&codePage), sizeof codePage / sizeof(wchar_t));
    std::wstring wide(bytes.size(), L'\0');
    wide.resize(static_cast<size_t>(
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), static_cast<int>(wide.size()))));
    return Narrow(wide);
}

std::string NameOf(const FILEDESCRIPTORW& d)
{
    return Narrow(std::wstring_view(d.cFileName, wcsnlen(d.cFileName, MAX_PATH)));
}

template <class Descriptor>
FileDescriptorInfo InfoOf(const Descriptor& d)
{
    FileDescriptorInfo info;
    info.name = NameOf(d);
    info.folder = (d.dwFlags & FD_ATTRIBUTES) && (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    if (d.dwFlags & FD_FILESIZE) info.size = (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
    // A zero time is no time.
    if ((d.dwFlags & FD_WRITESTIME) && Ticks(d.ftLastWriteTime)) info.writeTime = Ticks(d.ftLastWriteTime);
    if ((d.dwFlags & FD_CREATETIME) && Ticks(d.ftCreationTime)) info.creationTime = Ticks(d.ftCreationTime);
    return info;
}

// The descriptors in a FILEGROUPDESCRIPTOR block. A count larger than the
// block holds is the sender's mistake: as many as it holds are read.
template <class Descriptor>
std::vector<FileDescriptorInfo> ReadGroup(const GlobalView& view)
{
    std::vector<FileDescriptorInfo> infos;
    constexpr size_t kFirst = offsetof(FILEGROUPDESCRIPTORW, fgd);
    static_assert(kFirst == offsetof(FILEGROUPDESCRIPTORA, fgd));
    if (!view.data() || view.size() < kFirst) return infos;
    UINT count = 0;
    std::memcpy(&count, view.data(), sizeof count);
    const size_t fits = (view.size() - kFirst) / sizeof(Descriptor);
    const auto* bytes = static_cast<const unsigned char*>(view.data()) + kFirst;
    for (size_t i = 0; i < count && i < fits; ++i) {
        Descriptor d;
        std::memcpy(&d, bytes + i * sizeof(Descriptor), sizeof d);
        infos.push_back(InfoOf(d));
    }
    return infos;
}

// False, and nothing read, when the data object offers no descriptors.
bool ReadDescriptors(IDataObject* data, std::vector<FileDescriptorInfo>& out)
{
    for (const bool wide : {true, false}) {
        FORMATETC format{ClipFormat(wide ? CFSTR_FILEDESCRIPTORW : CFSTR_FILEDESCRIPTORA), nullptr, DVASPECT_CONTENT, -1,
                         TYMED_HGLOBAL};
        StgMediumOwner medium;
        if (FAILED(data->GetData(&format, medium.out())) || medium.get().tymed != TYMED_HGLOBAL) continue;
        const GlobalView view(medium.get().hGlobal);
        out = wide ? ReadGroup<FILEDESCRIPTORW>(view) : ReadGroup<FILEDESCRIPTORA>(view);
        return true;
    }
    return false;
}

bool WriteAll(HANDLE file, const void* data, size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        DWORD put = 0;
        if (!WriteFile(file, p, chunk, &put, nullptr) || put != chunk) return false;
        p += put;
        size -= put;
    }
    return true;
}

bool CopyStream(IStream* stream, HANDLE file, ContentsMeter& meter)
{
    // A data object may hand the stream over with its seek pointer after the
    // data, as if just written; one that cannot seek starts at its beginning.
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    std::vector<char> buffer(kCopyChunk);
    for (size_t ask; (ask = meter.NextAsk(buffer.size())) > 0;) {
        ULONG got = 0;
        if (FAILED(stream->Read(buffer.data(), static_cast<ULONG>(ask), &got)) || got > ask) return false;
        if (got == 0) break;  // the end of the contents
        if (!WriteAll(file, buffer.data(), got)) return false;
        meter.Took(got);
    }
    return true;
}

// A block may be larger than the file it holds; without a size all of it is taken.
bool CopyGlobal(HGLOBAL memory, HANDLE file, ContentsMeter& meter)
{
    const GlobalView view(memory);
    if (!view.data()) return false;
    const size_t n = meter.NextAsk(view.size());
    if (!WriteAll(file, view.data(), n)) return false;
    meter.Took(n);
    return true;
}

// A folder of ours and everything in it.
void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAW entry;
    {
        const FindHandle listing(FindFirstFileW(WidePath(JoinPath(folder, "*")).c_str(), &entry));
        for (bool more = bool(listing); more; more = FindNextFileW(listing.get(), &entry)) {
            const std::string name = Narrow(entry.cFileName);
            if (name == "." || name == "..") continue;
            const std::string path = JoinPath(folder, name);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else DeleteFileW(WidePath(path).c_str());
        }
    }
    RemoveDirectoryW(WidePath(folder).c_str());
}

} // namespace

std::shared_ptr<VirtualDrop> VirtualDrop::Take(IDataObject* data)
{
    std::vector<FileDescriptorInfo> described;
    if (!data || !ReadDescriptors(data, described)) return nullptr;
    std::shared_ptr<VirtualDrop> drop(new VirtualDrop);
    data->AddRef();
    drop->data_.reset(data);
    drop->ownerThread_ = GetCurrentThreadId();
    drop->described_ = std::move(described);
    drop->inputs_ = VirtualInputs(drop->described_);
    ComObject<IDataObjectAsyncCapability> async;
    BOOL able = FALSE;
    if (SUCCEEDED(data->QueryInterface(IID_IDataObjectAsyncCapability, reinterpret_cast<void**>(async.out()))) &&
        SUCCEEDED(async.get()->GetAsyncMode(&able)) && able && SUCCEEDED(async.get()->StartOperation(nullptr)))
        drop->operation_ = std::move(async);
    return drop;
}

VirtualDrop::~VirtualDrop()
{
    End(DROPEFFECT_NONE);
}

VirtualInput VirtualDrop::Described(size_t index) const
{
    VirtualInput input;
    if (index >= described_.size()) return input;
    const FileDescriptorInfo& d = described_[index];
    input.index = static_cast<int>(index);
    input.fileName = d.folder ? std::string() : SafeFileName(d.name);
    input.size = d.size;
    input.writeTime = d.writeTime;
    input.creationTime = d.creationTime;
    return input;
}

void VirtualDrop::End(DWORD effect)
{
    if (!operation_) return;
    // The sender keeps its files ready until it hears this; a copy never lets it delete one.
    operation_.get()->EndOperation(effect == DROPEFFECT_NONE ? E_ABORT : S_OK, nullptr, effect);
    operation_.reset();
}

// A pointer of the window thread's apartment is no good on a worker's: each
// worker gets the object marshalled for it alone. (A table-strong marshal, as
// the global interface table makes, would do as well on Windows; Wine 8 never
// gives back the reference such a marshal of a proxy takes, and the sender
// would keep its files for as long as this program runs.)
ComObject<IStream> VirtualDrop::HandOver() const
{
    ComObject<IStream> stream;
    if (FAILED(CoMarshalInterThreadInterfaceInStream(IID_IDataObject, data_.get(), stream.out()))) stream.reset();
    return stream;
}

ComObject<IDataObject> VirtualDrop::TakeOver(ComObject<IStream> handed)
{
    ComObject<IDataObject> data;
    if (!handed || FAILED(CoGetInterfaceAndReleaseStream(handed.release(), IID_IDataObject, reinterpret_cast<void**>(data.out()))))
        data.reset();
    return data;
}

bool VirtualDrop::CopyContents(IDataObject* data, const VirtualInput& input, const std::string& path) const
{
    if (!data && GetCurrentThreadId() == ownerThread_) data = data_.get();
    if (!data || input.fileName.empty()) return false;
    FORMATETC format{ClipFormat(CFSTR_FILECONTENTS), nullptr, DVASPECT_CONTENT, input.index, TYMED_ISTREAM | TYMED_HGLOBAL};
    StgMediumOwner medium;
    if (FAILED(data->GetData(&format, medium.out()))) return false;
    const std::wstring target = WidePath(path);
    if (target.empty()) return false;
    FileHandle file(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    ContentsMeter meter(input.size);
    bool whole = false;
    if (medium.get().tymed == TYMED_ISTREAM && medium.get().pstm) whole = CopyStream(medium.get().pstm, file.get(), meter);
    else if (medium.get().tymed == TYMED_HGLOBAL) whole = CopyGlobal(medium.get().hGlobal, file.get(), meter);
    whole = whole && meter.Whole();
    if (whole && (input.writeTime || input.creationTime)) {
        // After the last write, which would set the write time again.
        const FILETIME created = FileTimeOf(input.creationTime.value_or(0)), written = FileTimeOf(input.writeTime.value_or(0));
        SetFileTime(file.get(), input.creationTime ? &created : nullptr, nullptr, input.writeTime ? &written : nullptr);
    }
    whole = CloseNow(file) && whole;
    if (!whole) DeleteFileW(target.c_str());
    return whole;
}

VirtualCopies::VirtualCopies(std::shared_ptr<VirtualDrop> drop, const std::string& dataFolder) : drop_(std::move(drop))
{
    const std::string data = WithoutTrailingLineFeed(dataFolder);
    // What a run that never ended (the program was killed) left behind; only one
    // window runs at a time, and this is its only drop of such files now.
    WIN32_FIND_DATAW entry;
    {
        const FindHandle listing(FindFirstFileW(WidePath(JoinPath(data, std::string(kCopiesPrefix) + "*")).c_str(), &entry));
        for (bool more = bool(listing); more; more = FindNextFileW(listing.get(), &entry))
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(JoinPath(data, Narrow(entry.cFileName)));
    }
    for (unsigned n = 1; n < 1000 && folder_.empty(); ++n) {
        const std::string candidate = JoinPath(data, kCopiesPrefix + std::to_string(n));
        if (MakeFolder(candidate)) folder_ = candidate;
        else if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
}

VirtualCopies::~VirtualCopies()
{
    if (!folder_.empty()) RemoveTree(folder_);
}

std::string VirtualCopies::Make(int k, IDataObject* data) const
{
    if (k < 0 || static_cast<size_t>(k) >= drop_->inputs().size()) return {};
    return Make(drop_->inputs()[static_cast<size_t>(k)], k, data);
}

std::string VirtualCopies::Make(const VirtualInput& input, int slot, IDataObject* data) const
{
    if (folder_.empty() || input.fileName.empty()) return {};
    const std::string own = JoinPath(folder_, std::to_string(slot));
    if (!MakeFolder(own)) return {};
    const std::string path = JoinPath(own, input.fileName);
    if (drop_->CopyContents(data, input, path)) return path;
    RemoveDirectoryW(WidePath(own).c_str());
    return {};
}

void VirtualCopies::Remove(const std::string& path) const
{
    if (path.empty() || folder_.empty() || FolderOf(FolderOf(path)) != folder_) return;
    DeleteFileW(WidePath(path).c_str());
    RemoveDirectoryW(WidePath(FolderOf(path)).c_str());
}
