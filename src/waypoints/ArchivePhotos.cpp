#include "waypoints/ArchivePhotos.h"

#include "images/ImageFormat.h"
#include "images/PhotoImage.h"
#include "waypoints/LinkedImages.h"
#include "waypoints/WarningText.h"

namespace kestro {

void AddArchivePhotos(const std::vector<TLinkedContent>& contents, std::uint32_t maxSide, TPoiWpt& point,
                      const std::function<void(const std::string& cause, const std::string& text)>& warn) {
    for (const auto& linked : contents) {
        const std::string shown = CutForWarning(linked.Name);
        if (!IsPhotoName(linked.Name)) {
            warn("link " + shown, "link " + shown + " not used: only photos are taken from inside an archive");
            continue;
        }
        std::string refusal;
        std::optional<Bytes> jpeg = PhotoAsJpeg(linked.Content, ImageFormatOfName(linked.Name), maxSide, refusal);
        if (!jpeg) {
            warn("photo " + shown, "photo " + shown + " not used: " + refusal);
            continue;
        }
        // Lines of Images are CR LF separated; each of these embeds its own bytes.
        std::size_t lines = point.Images.empty() ? 0 : 1;
        for (std::size_t at = point.Images.find("\r\n"); at != std::string::npos; at = point.Images.find("\r\n", at + 2))
            ++lines;
        point.ImageContents.resize(lines);
        point.ImageContents.push_back(std::move(*jpeg));
        point.Images += (point.Images.empty() ? "" : "\r\n") + linked.Name;
    }
}

}  // namespace kestro
