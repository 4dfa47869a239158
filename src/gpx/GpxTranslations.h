#pragma once
// A waypoint's texts in further languages as a GPX file holds them: elements
// of our own namespace in its "extensions", one per text and language
// (<kestro:name lang="EN">...</kestro:name>, see sources/TranslationElements.h).
#include "waypoints/WaypointFields.h"
#include "xml/UKestroXML.h"

namespace kestro {

// Adds the waypoint's elements of our namespace to its point's translations,
// in document order; of two elements of one text and language the first counts.
void ReadTranslationElements(IXmlNode& node, TWaypointFields& waypoint);

}  // namespace kestro
