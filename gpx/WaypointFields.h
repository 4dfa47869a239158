#pragma once
// One waypoint as a reader found it, before the rules that make a point of
// it (the "@" speed suffix, alert defaults, icons and images from links,
// the short description as comment). Texts are in the working code page.
#include <optional>
#include <string>
#include <vector>

namespace kestro {

struct TWaypointFields {
    double Lat = 0;
    double Lon = 0;
    std::string Name;
    std::string Comment;
    std::string Description;
    std::vector<std::string> Links;        // hrefs as written: icons, photos, folders of them
    std::optional<std::string> Proximity;  // metres, a whole number text
    std::optional<std::string> Speed;      // km/h, a whole number text
    std::string Street;
    std::string City;
    std::string State;
    std::string Country;
    std::string PostalCode;
    std::string Phone;
    std::string Phone2;
    std::string Fax;
    std::string Email;
    std::string Url;
};

}  // namespace kestro
