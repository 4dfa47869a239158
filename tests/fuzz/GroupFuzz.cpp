// The whole conversion of one group: the input is the group's only GPX file,
// beside its icon, a photo and a folder with another icon. A run that ends
// without an error must give a group that makes a clean GPI file.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <sstream>

#include "FuzzSupport.h"
#include "app/GroupBuilder.h"
#include "app/Settings.h"
#include "diag/Exceptions.h"
#include "gpi/FileFrame.h"
#include "store/SQLiteLibrary.h"
#include "xml/XmlCodePage.h"

namespace {

using namespace kestro;

// The group folder; links in the input are relative to the work folder.
std::filesystem::path PrepareSource() {
    static const TSQLiteLibrary sqlite;
    const auto& work = fuzz::WorkFolder();
    fuzz::SilenceStandardOutput();
    std::filesystem::create_directories(work / "g");
    std::filesystem::create_directories(work / "icons");
    fuzz::WriteFile(work / "g" / "cafes.bmp", fuzz::SampleBitmap(16, 16));
    fuzz::WriteFile(work / "icons" / "cafes.bmp", fuzz::SampleBitmap(5, 3));
    fuzz::WriteFile(work / "icons" / "odd.bmp", fuzz::SampleBitmap(48, 1));
    fuzz::WriteFile(work / "photo.jpg", "\xFF\xD8\xFF\xE0 not much of a photo \xFF\xD9");
    return work / "g";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::EnterWorkFolder(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path group = PrepareSource();
    const std::string_view input = fuzz::Input(data, size);
    fuzz::WriteFile(group / "cafes.gpx", input);

    // Settings chosen by the input, so that a finding replays the same way.
    const std::uint32_t hash = fuzz::InputHash(input);
    TRunSettings settings;
    settings.CodePage = (hash & 1) ? 65001 : 1252;
    settings.MaxRegion = static_cast<std::int32_t>(1 + (hash >> 1) % 4);
    UseCodePage(settings);

    Bytes record;
    try {
        std::ostringstream lines;
        TGroupOutput output(lines, lines);
        // Both halves on this thread, one after the other, as the pipeline runs them.
        if (const TGroupTail tail = ReadGroup(settings, group.string() + "/", output)) record = tail(output);
    } catch (const Exception&) {
        return 0;  // bad input ends with an error report; nothing is written for the group
    }
    fuzz::RequireCleanGpi(GpiHeaderRecord("f.gpi", 0) + GpiCodePageRecord(settings.CodePage) + record + GpiEndRecord());
    return 0;
}
