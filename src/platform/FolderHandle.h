#pragma once
// A folder held open, and entries made inside it through that handle: a
// name is looked up in the folder itself, never through a path that another
// process could redirect meanwhile, and a symbolic link is never followed.
// The rules are in FolderHandle.cpp, the system's side in one source file
// per system (FolderHandleSystem.h).
#include <memory>
#include <string>
#include <string_view>

namespace kestro {

class TFolderHandle {
public:
    // Opens an existing folder. EFOpenError when it cannot be opened, also
    // when the last part of the path is a symbolic link.
    static TFolderHandle Open(const std::string& path);

    TFolderHandle(TFolderHandle&&) noexcept;
    TFolderHandle& operator=(TFolderHandle&&) noexcept;
    ~TFolderHandle();

    // A new folder inside this one, held open. EFCreateError when the name
    // exists already (a link included), is no name of one entry (empty, "."
    // or "..", or with a separator or a character the system refuses) or
    // cannot be made; shown is the path named in the message.
    TFolderHandle MakeFolder(const std::string& name, const std::string& shown) const;
    // A new file inside this one with the bytes; EFCreateError when the name
    // exists already (a link included) or is no name of one entry,
    // EWriteError when writing fails.
    void WriteNewFile(const std::string& name, std::string_view bytes, const std::string& shown) const;
    // True when the folder holds no entry.
    bool IsEmpty() const;
    // True when the user running the program owns the folder.
    bool OwnedByUser() const;

private:
    struct TImpl;  // the system's handle
    // Released by the system's side, which alone knows the handle.
    struct TImplRelease {
        void operator()(TImpl* impl) const noexcept;
    };
    using TImplPtr = std::unique_ptr<TImpl, TImplRelease>;
    friend struct TFolderSystem;
    explicit TFolderHandle(TImplPtr impl);

    TImplPtr impl_;
};

}  // namespace kestro
