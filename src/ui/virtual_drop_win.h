#pragma once
// A drop of files without paths, Windows side: the sender's data object, its
// descriptors and its asynchronous operation, and the copies of its files on
// disk, each made just before its picture and deleted once that is done.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/owners_win.h"
#include "ui/virtual_files.h"

struct IDataObjectAsyncCapability;  // <shlobj.h>, which the .cpp files include after our headers

class VirtualDrop {
public:
    // What a data object offers without paths (CFSTR_FILEDESCRIPTORW, or
    // CFSTR_FILEDESCRIPTORA when it offers only that); null when nothing.
    // Called inside the drop on the window thread: an asynchronous sender's
    // operation starts here, so it neither blocks nor times out meanwhile.
    static std::shared_ptr<VirtualDrop> Take(IDataObject* data);
    ~VirtualDrop();
    VirtualDrop(const VirtualDrop&) = delete;
    VirtualDrop& operator=(const VirtualDrop&) = delete;

    // The pictures among the files, in the sender's order.
    const std::vector<VirtualInput>& inputs() const { return inputs_; }
    // Every file and folder the sender describes, and one of them taken as it is.
    size_t describedCount() const { return described_.size(); }
    VirtualInput Described(size_t index) const;
    // Window thread: the data object for one other thread, which takes it
    // over (once) with TakeOver after starting COM.
    ComObject<IStream> HandOver() const;
    static ComObject<IDataObject> TakeOver(ComObject<IStream> handed);
    // Writes the contents of a file into a new file at `path`, with the
    // descriptor's times, through `data` (this thread's, from TakeOver; null
    // on the window thread). False when they did not come whole, and then no
    // file is left.
    bool CopyContents(IDataObject* data, const VirtualInput& input, const std::string& path) const;
    // Window thread: an asynchronous sender learns that the transfer is over
    // and what came of it. Once; later calls do nothing.
    void End(DWORD effect);

private:
    VirtualDrop() = default;

    ComObject<IDataObject> data_;  // the window thread's
    DWORD ownerThread_ = 0;
    ComObject<IDataObjectAsyncCapability> operation_;  // an asynchronous operation that was started
    std::vector<FileDescriptorInfo> described_;
    std::vector<VirtualInput> inputs_;
};

// The copies of one drop's files, in a folder of their own inside the data
// folder: <data folder>\virtual.<n>\<k>\<the file's own name>, so that kept
// names, the file-date marker and the file times follow the sender's file.
// The folder, and anything still in it, goes with this object.
class VirtualCopies {
public:
    VirtualCopies(std::shared_ptr<VirtualDrop> drop, const std::string& dataFolder);
    ~VirtualCopies();
    VirtualCopies(const VirtualCopies&) = delete;
    VirtualCopies& operator=(const VirtualCopies&) = delete;
    const VirtualDrop& drop() const { return *drop_; }
    // The copy of input `k` of the drop's inputs(), read through `data` as
    // CopyContents reads; empty when its contents did not come whole.
    std::string Make(int k, IDataObject* data) const;
    std::string Make(const VirtualInput& input, int slot, IDataObject* data) const;
    // Deletes one copy (and its own folder).
    void Remove(const std::string& path) const;

private:
    std::shared_ptr<VirtualDrop> drop_;
    std::string folder_;  // empty when it could not be made: every copy then fails
};
