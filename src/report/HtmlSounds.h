#pragma once
// The sounds and credits of a GPI file as the HTML report shows them.
#include <map>
#include <string>

#include "gpi/GpiReader.h"
#include "gpi/TextDecoder.h"

namespace kestro {

// A data URI that an audio element plays: the first clip of the media
// record as WAV or MP3; empty for another format or a clip of neither.
std::string SoundDataUri(const TGpiMedia& media);

// The report's line of the file's data source and copyright, every
// language of each; empty when the file has no copyright record.
std::string CreditsHtml(const TGpiFile& file, TTextDecoder& decoder);

}  // namespace kestro
