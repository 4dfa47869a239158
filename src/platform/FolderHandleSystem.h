#pragma once
// The system's side of folder handles: one source file per system
// (FolderHandlePosix.cpp, windows/FolderHandle.cpp). What every system
// shares, the name rules, the writing and the messages, is in
// FolderHandle.cpp. A call that can fail sets the errno value of the
// failure.
#include <memory>
#include <string>

#include "platform/FolderHandle.h"

namespace kestro {

struct TFolderSystem {
    using TImpl = TFolderHandle::TImpl;
    using TImplPtr = TFolderHandle::TImplPtr;

    // Whether the system refuses the byte in a name of one entry.
    static bool RefusedInName(unsigned char byte);
    // The folder itself, never what a link leads to; null when it cannot be
    // opened, with `link` set when it is a link.
    static TImplPtr Open(const std::string& path, int& error, bool& link);
    // A new folder inside `folder`, held open; null when it cannot be made.
    static TImplPtr MakeFolder(const TImpl& folder, const std::string& name, int& error);
    // A new file inside `folder` for writing, as a C run-time descriptor;
    // -1 when it cannot be made (EEXIST for any entry of that name, a link
    // included).
    static int CreateNewFile(const TImpl& folder, const std::string& name, int& error);
    // Closes a new file once its bytes are written, with the system's last
    // word on them: 0 or the errno value.
    static int FinishNewFile(int descriptor);
    static bool IsEmpty(const TImpl& folder);
    static bool OwnedByUser(const TImpl& folder);
};

}  // namespace kestro
