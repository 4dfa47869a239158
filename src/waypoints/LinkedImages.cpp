#include "waypoints/LinkedImages.h"

#include "diag/Exceptions.h"
#include "images/PhotoImage.h"
#include "platform/FileRead.h"
#include "platform/FolderListing.h"
#include "platform/PathName.h"

namespace kestro {

namespace {

// Converted photos kept for points that link them again.
constexpr std::size_t RememberedPhotoBytes = 64u << 20;

std::string InLinkedFolder(const std::vector<TResolvedLink>& links, TLinkPaths& paths, const std::string& name) {
    for (const auto& link : links) {
        if (link.Kind != TPathKind::Folder) continue;
        std::string candidate = link.Path + "/" + name;
        if (paths.KindOf(candidate) == TPathKind::File) return candidate;
    }
    return std::string();
}

}  // namespace

bool IsPhotoName(const std::string& path) {
    const std::string extension = LowerExtension(path);
    return extension == ".jpg" || extension == ".jpeg" || extension == ".png" || extension == ".gif" || extension == ".webp";
}

std::string TIconLookup::Find(const std::vector<TResolvedLink>& links, const std::string& listFile, TLinkPaths& paths) {
    const std::string base = BaseName(listFile);
    for (const auto& link : links) {
        if (link.Kind == TPathKind::File) {
            if (LowerExtension(link.Path) == ".bmp") return link.Path;
        } else if (link.Kind == TPathKind::Folder) {
            std::string candidate = link.Path + "/" + base + ".bmp";
            if (paths.KindOf(candidate) == TPathKind::File) return candidate;
        }
    }
    if (listFile != listFile_) {
        listFile_ = listFile;
        companionBmp_ = FileExists(ChangeExtension(listFile, ".bmp"));
        otherCompanion_.clear();
        for (const char* extension : {".png", ".gif"})
            if (otherCompanion_.empty() && FileExists(ChangeExtension(listFile, extension)))
                otherCompanion_ = ChangeExtension(listFile, extension);
    }
    if (companionBmp_) return ChangeExtension(listFile, ".bmp");
    if (!links.empty()) {
        for (const char* extension : {".png", ".gif"})
            if (std::string found = InLinkedFolder(links, paths, base + extension); !found.empty()) return found;
    }
    if (!otherCompanion_.empty()) return otherCompanion_;
    return ChangeExtension(listFile, ".bmp");
}

const TPhotoPreparer::TPrepared& TPhotoPreparer::Prepare(const std::string& path) {
    if (const auto known = done_.find(path); known != done_.end()) return known->second;
    TPrepared prepared;
    const TImageFormat named = ImageFormatOfName(path);
    if (named == TImageFormat::Jpeg && MaxSide == 0) {
        prepared.AsItIs = true;
    } else {
        try {
            const Bytes content = ReadFileUpTo(path, MaxPhotoFileBytes + 1);
            if (content.size() > MaxPhotoFileBytes) {
                prepared.Refusal = Format("more than %llu bytes", static_cast<unsigned long long>(MaxPhotoFileBytes));
            } else if (std::optional<Bytes> jpeg = PhotoAsJpeg(content, named, MaxSide, prepared.Refusal)) {
                // An unchanged JPEG is read again when the point is encoded, as every JPEG is.
                if (named == TImageFormat::Jpeg && jpeg->size() == content.size() && *jpeg == content)
                    prepared.AsItIs = true;
                else
                    prepared.Jpeg = std::move(*jpeg);
            }
        } catch (const EFOpenError& error) {
            prepared.Refusal = error.what();
        } catch (const EReadError& error) {
            prepared.Refusal = error.what();
        }
    }
    if (rememberedBytes_ + prepared.Jpeg.size() > RememberedPhotoBytes) {
        done_.clear();
        rememberedBytes_ = 0;
    }
    rememberedBytes_ += prepared.Jpeg.size();
    return done_.emplace(path, std::move(prepared)).first->second;
}

}  // namespace kestro
