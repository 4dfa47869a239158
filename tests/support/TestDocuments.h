#pragma once
// Strict little parsers for the documents kestro-dump writes, so the tests
// check that its JSON and SVG are well-formed and can query them.
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace kestro::test {

struct TJson {
    enum class TKind { Null, Bool, Number, String, Array, Object } Kind = TKind::Null;
    bool Bool = false;
    double Number = 0;
    std::string Text;           // Number's own spelling for numbers, the decoded UTF-8 for strings
    std::vector<TJson> Items;   // array elements, or object values
    std::vector<std::string> Keys;  // object keys, in document order

    const TJson& operator[](const std::string& key) const;  // throws std::out_of_range
    const TJson& operator[](std::size_t index) const { return Items.at(index); }
    bool Has(const std::string& key) const;
    std::size_t Size() const { return Items.size(); }
};

// Parses one JSON document; throws std::runtime_error with the offset of the fault.
TJson ParseJson(const std::string& text);

struct TXmlElement {
    std::string Name;
    std::map<std::string, std::string> Attributes;
};
// Checks that the text is one well-formed XML element tree (declaration,
// comments, balanced tags, quoted attributes, known entities) and returns
// its elements in document order; throws std::runtime_error otherwise.
std::vector<TXmlElement> ParseXmlElements(const std::string& text);

}  // namespace kestro::test
