#pragma once
// The folder an unpacking writes into. It is opened once, and every entry is
// created through the handle of the folder that holds it, one plain name
// below another: no symbolic link is followed, whatever another process
// puts in place meanwhile, and nothing is replaced: a name that exists
// already (or a link placed there meanwhile) is an error.
#include <map>
#include <string>
#include <vector>

#include "diag/Exceptions.h"
#include "platform/Bytes.h"
#include "platform/FolderHandle.h"

namespace kestro {

KESTRO_EXCEPTION(EUnpackFolderError);  // the target folder holds something or is another user's

class TUnpackFolder {
public:
    // Creates the folder, or takes an empty one of the user that exists;
    // EUnpackFolderError when it is not empty or belongs to another user,
    // EFOpenError when it is a symbolic link, EFCreateError when it cannot
    // be made.
    explicit TUnpackFolder(std::string root);

    // parts: the path below the root, one entry name per part; the folders
    // above the last part were made by MakeFolder.
    void MakeFolder(const std::vector<std::string>& parts);
    void WriteFile(const std::vector<std::string>& parts, const Bytes& content) const;

private:
    const TFolderHandle& FolderAbove(const std::vector<std::string>& parts) const;
    std::string Shown(const std::vector<std::string>& parts) const;

    std::string root_;
    TFolderHandle handle_;
    std::map<std::vector<std::string>, TFolderHandle> made_;  // the folders made, held open
};

}  // namespace kestro
