// Typed and enumerated attribute reads and writes of the node interface.
#include <algorithm>

#include "diag/Exceptions.h"
#include "xml/XmlError.h"
#include "xml/XmlNode.h"
#include "xml/XmlValueConvert.h"

namespace kestro {

namespace {

// The index of the text among the allowed values, compared without case.
int EnumIndex(TXmlNode& node, TXmlNameId name, const TXmlVariant& value, const TXmlEnumValues& values) {
    std::string text = value.AsText();
    for (std::size_t i = 0; i < values.size(); ++i)
        if (SameIgnoringAsciiCase(text, values[i])) return static_cast<int>(i);
    std::string allowed;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) allowed += "\r\n";
        allowed += values[i];
    }
    RaiseXmlError(Format("Incorrect value of the attribute \"%s\" at element \"%s\".\r\nAllowed values are: \r\n%s",
                         node.NameTable->NameOf(name).c_str(), node.GetNodeName().c_str(), allowed.c_str()));
}

}  // namespace

bool TXmlNode::GetBoolAttrById(TXmlNameId name, bool defaultValue) {
    TXmlAttrData* attr = FindAttr(name);
    return attr ? XmlValueToBool(attr->Value) : defaultValue;
}

bool TXmlNode::GetBoolAttr(std::string_view name, bool defaultValue) {
    return GetBoolAttrById(NameTable->Find(name), defaultValue);
}

void TXmlNode::SetBoolAttrById(TXmlNameId name, bool value) { SetVarAttrById(name, TXmlVariant::FromBool(value)); }

void TXmlNode::SetBoolAttr(std::string_view name, bool value) { SetVarAttr(name, TXmlVariant::FromBool(value)); }

std::int32_t TXmlNode::GetIntAttrById(TXmlNameId name, std::int32_t defaultValue) {
    TXmlAttrData* attr = FindAttr(name);
    return attr ? XmlValueToInt(attr->Value) : defaultValue;
}

std::int32_t TXmlNode::GetIntAttr(std::string_view name, std::int32_t defaultValue) {
    return GetIntAttrById(NameTable->Find(name), defaultValue);
}

void TXmlNode::SetIntAttrById(TXmlNameId name, std::int32_t value) {
    SetVarAttrById(name, TXmlVariant::FromInt(value, TXmlVarType::Integer));
}

void TXmlNode::SetIntAttr(std::string_view name, std::int32_t value) {
    SetVarAttr(name, TXmlVariant::FromInt(value, TXmlVarType::Integer));
}

TXmlDateTime TXmlNode::GetDateTimeAttrById(TXmlNameId name, TXmlDateTime defaultValue) {
    TXmlAttrData* attr = FindAttr(name);
    return attr ? XmlValueToDateTime(attr->Value) : defaultValue;
}

TXmlDateTime TXmlNode::GetDateTimeAttr(std::string_view name, TXmlDateTime defaultValue) {
    return GetDateTimeAttrById(NameTable->Find(name), defaultValue);
}

void TXmlNode::SetDateTimeAttrById(TXmlNameId name, TXmlDateTime value) {
    SetVarAttrById(name, TXmlVariant::FromDateTime(value));
}

void TXmlNode::SetDateTimeAttr(std::string_view name, TXmlDateTime value) {
    SetVarAttr(name, TXmlVariant::FromDateTime(value));
}

double TXmlNode::GetFloatAttrById(TXmlNameId name, double defaultValue) {
    TXmlAttrData* attr = FindAttr(name);
    return attr ? XmlValueToFloat(attr->Value) : defaultValue;
}

double TXmlNode::GetFloatAttr(std::string_view name, double defaultValue) {
    return GetFloatAttrById(NameTable->Find(name), defaultValue);
}

void TXmlNode::SetFloatAttrById(TXmlNameId name, double value) { SetVarAttrById(name, TXmlVariant::FromFloat(value)); }

void TXmlNode::SetFloatAttr(std::string_view name, double value) { SetVarAttr(name, TXmlVariant::FromFloat(value)); }

std::uint32_t TXmlNode::GetHexAttr(std::string_view name, std::uint32_t defaultValue) {
    return GetHexAttrById(NameTable->Find(name), defaultValue);
}

std::uint32_t TXmlNode::GetHexAttrById(TXmlNameId name, std::uint32_t defaultValue) {
    TXmlAttrData* attr = FindAttr(name);
    return attr ? XmlValueToHex(attr->Value) : defaultValue;
}

void TXmlNode::SetHexAttr(std::string_view name, std::uint32_t value, int digits) {
    SetHexAttrById(NameTable->Intern(name), value, digits);
}

void TXmlNode::SetHexAttrById(TXmlNameId name, std::uint32_t value, int digits) {
    // At least one digit (a precision of 0 would print 0 as nothing); more
    // than 8 can only be leading zeros, and 32 are plenty of those.
    SetVarAttrById(name, TXmlVariant(Format("%.*X", std::clamp(digits, 1, 32), static_cast<unsigned>(value))));
}

int TXmlNode::GetEnumAttr(std::string_view name, const TXmlEnumValues& values, int defaultValue) {
    return GetEnumAttrById(NameTable->Find(name), values, defaultValue);
}

int TXmlNode::GetEnumAttrById(TXmlNameId name, const TXmlEnumValues& values, int defaultValue) {
    TXmlAttrData* attr = FindAttr(name);
    return attr ? EnumIndex(*this, name, attr->Value, values) : defaultValue;
}

int TXmlNode::RequireEnumAttr(std::string_view name, const TXmlEnumValues& values) {
    TXmlNameId id = NameTable->Find(name);
    if (!FindAttr(id)) RaiseXmlError(Format("Attribute \"%s\" not found", std::string(name).c_str()));
    return RequireEnumAttrById(id, values);
}

int TXmlNode::RequireEnumAttrById(TXmlNameId name, const TXmlEnumValues& values) {
    TXmlAttrData* attr = FindAttr(name);
    if (!attr) RaiseXmlError(Format("Attribute \"%s\" not found", NameTable->NameOf(name).c_str()));
    return EnumIndex(*this, name, attr->Value, values);
}

}  // namespace kestro
