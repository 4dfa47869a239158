// Attribute access of the node interface by name and by identity. Reads look
// a name up without adding it to the name table; writes intern it.
#include "diag/Exceptions.h"
#include "xml/XmlError.h"
#include "xml/XmlNode.h"

namespace kestro {

TXmlAttrData& TXmlNode::RequireAttrData(TXmlNameId name) {
    TXmlAttrData* attr = FindAttr(name);
    if (!attr) RaiseXmlError(Format("Attribute \"%s\" not assigned", NameTable->NameOf(name).c_str()));
    return *attr;
}

const std::string& TXmlNode::GetAttrName(std::int32_t index) { return NameTable->NameOf(GetAttrNameId(index)); }

void TXmlNode::RemoveAttr(std::string_view name) { RemoveAttrById(NameTable->Find(name)); }

void TXmlNode::RemoveAttrById(TXmlNameId name) {
    TXmlAttrData* attr = FindAttr(name);
    if (!attr) return;
    for (TXmlAttrData* last = &Attrs[AttrCount - 1]; attr != last; ++attr) *attr = std::move(attr[1]);
    *attr = TXmlAttrData{};
    --AttrCount;
}

bool TXmlNode::AttrExistsById(TXmlNameId name) { return FindAttr(name) != nullptr; }

TXmlVarType TXmlNode::GetAttrTypeById(TXmlNameId name) {
    TXmlAttrData* attr = FindAttr(name);
    return attr ? attr->Value.Type() : TXmlVarType::String;
}

TXmlVarType TXmlNode::GetAttrType(std::string_view name) { return GetAttrTypeById(NameTable->Find(name)); }

TXmlVariant TXmlNode::GetVarAttrById(TXmlNameId name, const TXmlVariant& defaultValue) {
    TXmlAttrData* attr = FindAttr(name);
    return attr ? attr->Value : defaultValue;
}

TXmlVariant TXmlNode::GetVarAttr(std::string_view name, const TXmlVariant& defaultValue) {
    return GetVarAttrById(NameTable->Find(name), defaultValue);
}

void TXmlNode::SetVarAttrById(TXmlNameId name, const TXmlVariant& value) {
    name = OwnNameId(name);
    if (!name) RaiseXmlError("Attribute name expected");
    SetAttr(name, value);
}

std::string TXmlNode::RequireAttrById(TXmlNameId name) { return RequireAttrData(name).Value.AsText(); }

std::string TXmlNode::RequireAttr(std::string_view name) {
    TXmlAttrData* attr = FindAttr(NameTable->Find(name));
    if (!attr) RaiseXmlError(Format("Attribute \"%s\" not assigned", std::string(name).c_str()));
    return attr->Value.AsText();
}

std::string TXmlNode::GetAttrById(TXmlNameId name, std::string_view defaultText) {
    TXmlAttrData* attr = FindAttr(name);
    return attr ? attr->Value.AsText() : std::string(defaultText);
}

std::string TXmlNode::GetAttr(std::string_view name, std::string_view defaultText) {
    return GetAttrById(NameTable->Find(name), defaultText);
}

void TXmlNode::SetAttrById(TXmlNameId name, std::string_view text) { SetVarAttrById(name, TXmlVariant(text)); }

void TXmlNode::SetAttr(std::string_view name, std::string_view text) { SetVarAttr(name, TXmlVariant(text)); }

std::string TXmlNode::GetBytesAttrById(TXmlNameId name, std::string_view defaultBytes) {
    // A byte array gives its bytes, any other value its text.
    return GetAttrById(name, defaultBytes);
}

std::string TXmlNode::GetBytesAttr(std::string_view name, std::string_view defaultBytes) {
    return GetAttrById(NameTable->Find(name), defaultBytes);
}

}  // namespace kestro
