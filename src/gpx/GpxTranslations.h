#pragma once
// A waypoint's texts in further languages as a GPX file holds them: elements
// of our own namespace in its "extensions", one per text and language
// (<kestro:name lang="EN">...</kestro:name>, see sources/TranslationElements.h).
#include <vector>

#include "waypoints/Translations.h"
#include "xml/UKestroXML.h"

namespace kestro {

// The waypoint's elements of our namespace, in document order.
std::vector<TTranslatedText> ReadTranslationElements(IXmlNode& waypoint);

}  // namespace kestro
