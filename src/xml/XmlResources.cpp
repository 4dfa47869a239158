#include "xml/XmlResources.h"

#include <algorithm>
#include <vector>

namespace kestro {

namespace {
// Made on first use, so registrations of static objects in any order work.
std::vector<const TXmlResource*>& Registry() {
    static std::vector<const TXmlResource*> resources;
    return resources;
}
}  // namespace

TXmlResource::TXmlResource(std::string_view type, std::string_view name, std::string_view bytes)
    : Type(type), Name(name), Bytes(bytes) {
    Registry().push_back(this);
}

TXmlResource::~TXmlResource() {
    auto& resources = Registry();
    resources.erase(std::remove(resources.begin(), resources.end(), this), resources.end());
}

const TXmlResource* FindXmlResource(std::string_view type, std::string_view name) {
    const auto& resources = Registry();
    for (auto resource = resources.rbegin(); resource != resources.rend(); ++resource)
        if ((*resource)->Type == type && (*resource)->Name == name) return *resource;
    return nullptr;
}

}  // namespace kestro
