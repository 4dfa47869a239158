#pragma once
#include <string>

namespace kestro {

// Reads kestro.ini of the source folder (or of the folder of `path` when it
// names a file) into MaxRegion, CodePage, XmlCodePage, ReadCsvFiles and PhotoSize; anything
// missing or unreadable as a number keeps its default (256, 1252, on, 0); "languages" and
// its name sections into Languages (ESettingsError for an invalid list).
void LoadSettings(const std::string& path);

}  // namespace kestro
