#pragma once
// The folder an unpacking writes into. Entries are created only inside it,
// one plain name below another, and never replace anything: a name that
// exists already (or a link placed there meanwhile) is an error.
#include <filesystem>
#include <string>
#include <vector>

#include "diag/Exceptions.h"
#include "platform/Bytes.h"

namespace kestro {

KESTRO_EXCEPTION(EUnpackFolderError);  // the target folder exists and holds something

class TUnpackFolder {
public:
    // Creates the folder, or takes an empty one that exists; EUnpackFolderError
    // when it exists and is not empty, EFCreateError when it cannot be made.
    explicit TUnpackFolder(std::filesystem::path root);

    const std::filesystem::path& Root() const { return root_; }
    // parts: the path below the root, one entry name per part.
    void MakeFolder(const std::vector<std::string>& parts) const;
    void WriteFile(const std::vector<std::string>& parts, const Bytes& content) const;

private:
    std::filesystem::path PathOf(const std::vector<std::string>& parts) const;

    std::filesystem::path root_;
};

}  // namespace kestro
