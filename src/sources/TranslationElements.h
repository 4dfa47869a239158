#pragma once
// How a GPX file holds a waypoint's texts in further languages, for the
// reader and the unpacker alike: elements of our own namespace in the
// waypoint's "extensions", one per text and language, the code in "lang"
// (<kestro:name lang="EN">...</kestro:name>).

namespace kestro {

// The prefix the elements are found by, and the namespace it stands for: a
// name of this project's own, not a web address.
inline constexpr const char* TranslationPrefix = "kestro:";
inline constexpr const char* TranslationNamespace = "urn:kestro:gpx-languages:1";

}  // namespace kestro
