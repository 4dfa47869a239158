// Attribute access by name and by identity, typed reads with defaults and
// conversion errors, typed writes, and enumerated attributes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "XmlTestSupport.h"
#include "xml/XmlDateTime.h"

namespace kestro::test {
namespace {

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& error) {
        return error.what();
    }
    return "";
}

// An element "wpt" holding one attribute "v" with the given text.
TXmlPtr<IXmlNode> WithValue(std::string_view text) {
    auto document = CreateXmlDocument("wpt");
    TXmlPtr<IXmlNode> node(document->GetDocumentElement().Get());
    node->SetAttr("v", text);
    return node;
}

TEST(XmlNodeAttributes, NameAndIdentityFormsAgree) {
    auto document = LoadXmlText("<wpt lat='48.5' lon='16.5' name='x'/>");
    TXmlPtr<IXmlNode> wpt(document->GetDocumentElement().Get());
    auto names = wpt->GetNameTable();
    TXmlNameId lat = names->Intern("lat");
    TXmlNameId missing = names->Intern("missing");
    EXPECT_EQ(wpt->GetAttrCount(), 3);
    EXPECT_EQ(wpt->GetAttrName(1), "lon");
    EXPECT_EQ(wpt->GetAttrNameId(0), lat);
    EXPECT_EQ(wpt->GetAttrName(3), "");
    EXPECT_EQ(wpt->GetAttrNameId(-1), nullptr);

    EXPECT_TRUE(wpt->AttrExists("lat"));
    EXPECT_TRUE(wpt->AttrExistsById(lat));
    EXPECT_FALSE(wpt->AttrExists("Lat"));
    EXPECT_FALSE(wpt->AttrExistsById(missing));
    EXPECT_EQ(wpt->GetAttr("lat"), "48.5");
    EXPECT_EQ(wpt->GetAttrById(lat), "48.5");
    EXPECT_EQ(wpt->GetAttr("missing", "default"), "default");
    EXPECT_EQ(wpt->GetAttrById(missing, "default"), "default");
    EXPECT_EQ(wpt->GetAttrById(nullptr, "default"), "default");
    EXPECT_EQ(wpt->RequireAttr("lat"), "48.5");
    EXPECT_EQ(wpt->RequireAttrById(lat), "48.5");
    EXPECT_EQ(ErrorOf([&] { wpt->RequireAttr("ele"); }), "Attribute \"ele\" not assigned");
    EXPECT_EQ(ErrorOf([&] { wpt->RequireAttrById(missing); }), "Attribute \"missing\" not assigned");
    EXPECT_EQ(wpt->GetVarAttr("lat").AsText(), "48.5");
    EXPECT_EQ(wpt->GetVarAttrById(missing, TXmlVariant::FromInt(5)).AsText(), "5");
    EXPECT_TRUE(wpt->GetVarAttr("missing").IsEmpty());
    EXPECT_EQ(wpt->GetBytesAttr("name"), "x");
    EXPECT_EQ(wpt->GetBytesAttrById(missing, std::string("\0\1", 2)), std::string("\0\1", 2));
    // reads add nothing to the name table
    wpt->GetAttr("never-interned");
    std::uint32_t hash = 0;
    for (unsigned char c : std::string_view("never-interned")) hash = hash + ((hash << 6) ^ c);
    EXPECT_EQ(names->FindByHash(hash), nullptr);

    wpt->SetAttr("lat", "1");  // replaced in place
    wpt->SetAttrById(names->Intern("ele"), "300");
    wpt->SetVarAttrById(names->Intern("time"), TXmlVariant::FromInt(7));
    EXPECT_EQ(wpt->GetAttrName(0), "lat");
    EXPECT_EQ(wpt->GetAttr("lat"), "1");
    EXPECT_EQ(wpt->GetAttrName(3), "ele");
    EXPECT_EQ(wpt->GetAttrType("time"), TXmlVarType::Int64);

    wpt->RemoveAttr("lon");
    wpt->RemoveAttrById(names->Intern("ele"));
    wpt->RemoveAttr("missing");  // no error
    wpt->RemoveAttrById(nullptr);
    EXPECT_EQ(wpt->GetAttrCount(), 3);
    EXPECT_EQ(wpt->GetAttrName(0), "lat");
    EXPECT_EQ(wpt->GetAttrName(1), "name");
    EXPECT_EQ(wpt->GetAttrName(2), "time");
    wpt->SetAttr("lon", "2");  // a removed attribute comes back at the end
    EXPECT_EQ(wpt->GetAttrName(3), "lon");
    EXPECT_EQ(ErrorOf([&] { wpt->SetAttr("", "x"); }), "Attribute name expected");
    EXPECT_EQ(ErrorOf([&] { wpt->SetAttrById(nullptr, "x"); }), "Attribute name expected");
}

TEST(XmlNodeAttributes, TypesOfStoredValues) {
    auto node = WithValue("text");
    node->SetBoolAttr("b", true);
    node->SetIntAttr("i", -3);
    node->SetFloatAttr("f", 0.1);
    node->SetDateTimeAttr("d", 0.5);
    node->SetHexAttr("h", 255, 4);
    struct Case {
        const char* Name;
        TXmlVarType Type;
        const char* Text;
    };
    for (const auto& test : std::initializer_list<Case>{
             {"v", TXmlVarType::String, "text"},
             {"b", TXmlVarType::Boolean, "1"},
             {"i", TXmlVarType::Integer, "-3"},
             {"f", TXmlVarType::Double, "0.1"},
             {"d", TXmlVarType::Date, "1899-12-30T12:00:00"},
             {"h", TXmlVarType::String, "00FF"},
             {"missing", TXmlVarType::String, ""},
         }) {
        EXPECT_EQ(node->GetAttrType(test.Name), test.Type) << test.Name;
        EXPECT_EQ(node->GetAttr(test.Name), test.Text) << test.Name;
    }
    node->SetBoolAttr("b", false);
    EXPECT_EQ(node->GetAttr("b"), "0");
    EXPECT_EQ(node->GetAttrTypeById(node->GetNameTable()->Intern("b")), TXmlVarType::Boolean);
}

TEST(XmlNodeAttributes, FloatReads) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* Text;
        double Expected;
    };
    for (const auto& test : std::initializer_list<Case>{
             {"inf", inf}, {"+INF", inf}, {"-Inf", -inf}, {" INF ", inf},
             {"2.5", 2.5}, {"-0.125", -0.125}, {"+3", 3}, {".5", 0.5}, {"5.", 5}, {"1e3", 1000},
             {"1.5E-2", 0.015}, {" 7 ", 7}, {"1e999", inf},
         }) {
        EXPECT_EQ(WithValue(test.Text)->GetFloatAttr("v"), test.Expected) << test.Text;
    }
    for (const char* text : {"nan", "NaN", "NAN"}) {
        double value = WithValue(text)->GetFloatAttr("v");
        EXPECT_TRUE(std::isnan(value)) << text;
    }
    for (const char* text : {"", "abc", "1,5", "0x10", "infinity", "+-1", "1e", ".", "1 2", "-nan"}) {
        EXPECT_EQ(ErrorOf([&] { WithValue(text)->GetFloatAttr("v"); }),
                  std::string("'") + text + "' is not a valid floating point value")
            << text;
    }
    auto node = WithValue("");
    EXPECT_EQ(node->GetFloatAttr("missing", 1.25), 1.25);
    node->SetVarAttr("n", TXmlVariant::FromInt(3));
    EXPECT_EQ(node->GetFloatAttr("n"), 3.0);
    node->SetFloatAttrById(node->GetNameTable()->Intern("x"), 1.0 / 3.0);
    EXPECT_EQ(node->GetFloatAttrById(node->GetNameTable()->Intern("x"), 0), 1.0 / 3.0);
    // the text of a float reads back as the same number
    EXPECT_EQ(WithValue(node->GetAttr("x"))->GetFloatAttr("v"), 1.0 / 3.0);
}

TEST(XmlNodeAttributes, IntAndBoolReads) {
    struct IntCase {
        const char* Text;
        std::int32_t Expected;
    };
    for (const auto& test : std::initializer_list<IntCase>{
             {"42", 42}, {"-7", -7}, {"+7", 7}, {" 12 ", 12}, {"-2147483648", INT32_MIN}, {"2147483647", INT32_MAX},
             {"007", 7}, {"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {"1e3", 1000},
         }) {
        EXPECT_EQ(WithValue(test.Text)->GetIntAttr("v"), test.Expected) << test.Text;
    }
    for (const char* text : {"", "abc", "2147483648", "-2147483649", "99999999999", "1e10", "0x10", "inf", "nan"}) {
        EXPECT_EQ(ErrorOf([&] { WithValue(text)->GetIntAttr("v"); }),
                  std::string("'") + text + "' is not a valid integer value")
            << text;
    }
    auto node = WithValue("");
    EXPECT_EQ(node->GetIntAttr("missing", -9), -9);
    node->SetVarAttr("big", TXmlVariant::FromInt(std::int64_t{1} << 40));
    EXPECT_EQ(ErrorOf([&] { node->GetIntAttr("big"); }), "'1099511627776' is not a valid integer value");
    node->SetFloatAttr("huge", 1e300);
    EXPECT_EQ(ErrorOf([&] { node->GetIntAttr("huge"); }), "'1e+300' is not a valid integer value");
    node->SetFloatAttr("nan", std::nan(""));
    EXPECT_EQ(ErrorOf([&] { node->GetIntAttr("nan"); }), "'NAN' is not a valid integer value");
    node->SetBoolAttr("yes", true);
    EXPECT_EQ(node->GetIntAttr("yes"), 1);
    node->SetIntAttrById(node->GetNameTable()->Intern("i"), INT32_MIN);
    EXPECT_EQ(node->GetIntAttrById(node->GetNameTable()->Intern("i"), 0), INT32_MIN);

    struct BoolCase {
        const char* Text;
        bool Expected;
    };
    for (const auto& test : std::initializer_list<BoolCase>{
             {"1", true}, {"0", false}, {"true", true}, {"FALSE", false}, {"True", true}, {"2", true},
             {"-1", true}, {"0.0", false}, {" 1 ", true},
         }) {
        EXPECT_EQ(WithValue(test.Text)->GetBoolAttr("v"), test.Expected) << test.Text;
    }
    for (const char* text : {"", "yes", "t", "on"}) {
        EXPECT_EQ(ErrorOf([&] { WithValue(text)->GetBoolAttr("v"); }),
                  std::string("'") + text + "' is not a valid boolean value")
            << text;
    }
    EXPECT_TRUE(node->GetBoolAttr("missing", true));
    node->SetBoolAttrById(node->GetNameTable()->Intern("flag"), true);
    EXPECT_TRUE(node->GetBoolAttrById(node->GetNameTable()->Intern("flag"), false));
    EXPECT_EQ(node->GetAttr("flag"), "1");
}

TEST(XmlNodeAttributes, HexReadsAndWrites) {
    struct Case {
        const char* Text;
        std::uint32_t Expected;
    };
    for (const auto& test : std::initializer_list<Case>{
             {"FF", 255}, {"ff", 255}, {"0001", 1}, {"FFFFFFFF", 0xFFFFFFFF}, {"000000000A", 10}, {" 1a ", 26},
         }) {
        EXPECT_EQ(WithValue(test.Text)->GetHexAttr("v"), test.Expected) << test.Text;
    }
    for (const char* text : {"", "G", "0x10", "100000000", "-1", "1 2"}) {
        EXPECT_EQ(ErrorOf([&] { WithValue(text)->GetHexAttr("v"); }),
                  std::string("'") + text + "' is not a valid hexadecimal value")
            << text;
    }
    auto node = WithValue("");
    EXPECT_EQ(node->GetHexAttr("missing", 0xBEEF), 0xBEEFu);
    struct WriteCase {
        std::uint32_t Value;
        int Digits;
        const char* Text;
    };
    for (const auto& test : std::initializer_list<WriteCase>{
             {255, 4, "00FF"}, {0xABC, 0, "ABC"}, {0xABC, -3, "ABC"}, {0, 0, "0"}, {0xFFFFFFFF, 2, "FFFFFFFF"},
             {1, 10, "0000000001"},
         }) {
        node->SetHexAttr("h", test.Value, test.Digits);
        EXPECT_EQ(node->GetAttr("h"), test.Text);
        EXPECT_EQ(node->GetHexAttr("h"), test.Value);
    }
    TXmlNameId id = node->GetNameTable()->Intern("byid");
    node->SetHexAttrById(id, 0x1F, 2);
    EXPECT_EQ(node->GetHexAttrById(id, 0), 0x1Fu);
}

TEST(XmlNodeAttributes, DateTimeReadsAndWrites) {
    TXmlDateTime may1 = EncodeXmlDateTime(2011, 5, 1, 12, 30, 15).value();
    EXPECT_DOUBLE_EQ(may1, 40664.0 + (12 * 3600 + 30 * 60 + 15) / 86400.0);
    struct Case {
        const char* Text;
        TXmlDateTime Expected;
    };
    for (const auto& test : std::initializer_list<Case>{
             {"2011-05-01T12:30:15", may1},
             {"1899-12-30T00:00:00", 0.0},
             {"1899-12-29T06:00:00", -1.25},  // before day 0 the time still counts forward
             {"2000-02-29T23:59:59", EncodeXmlDateTime(2000, 2, 29, 23, 59, 59).value()},
             {"0001-01-01T00:00:00", -693593.0},
             {"9999-12-31T00:00:00", 2958465.0},
             {" 2011-5-1T12:30:15 ", may1},
         }) {
        EXPECT_DOUBLE_EQ(WithValue(test.Text)->GetDateTimeAttr("v"), test.Expected) << test.Text;
    }
    for (const char* text : {"", "2011-02-29T00:00:00", "2011-05-01 12:30:15", "2011-05-01T12:30:15Z",
                             "2011-05-01T24:00:00", "2011-13-01T00:00:00", "0000-01-01T00:00:00",
                             "2011-05-01T12:30", "2011/05/01T12:30:15", "99999999999-01-01T00:00:00", "40664"}) {
        EXPECT_EQ(ErrorOf([&] { WithValue(text)->GetDateTimeAttr("v"); }),
                  std::string("'") + text + "' is not a valid date and time")
            << text;
    }
    auto node = WithValue("");
    EXPECT_EQ(node->GetDateTimeAttr("missing", 3.5), 3.5);
    node->SetDateTimeAttr("t", may1);
    EXPECT_EQ(node->GetAttr("t"), "2011-05-01T12:30:15");
    EXPECT_DOUBLE_EQ(WithValue(node->GetAttr("t"))->GetDateTimeAttr("v"), may1);
    node->SetDateTimeAttr("t", -1.25);
    EXPECT_EQ(node->GetAttr("t"), "1899-12-29T06:00:00");
    // other values are taken as days
    node->SetVarAttr("n", TXmlVariant::FromFloat(45000.75));
    EXPECT_EQ(node->GetDateTimeAttr("n"), 45000.75);
    node->SetVarAttr("n", TXmlVariant::FromInt(2));
    EXPECT_EQ(node->GetDateTimeAttr("n"), 2.0);
    TXmlNameId id = node->GetNameTable()->Intern("byid");
    node->SetDateTimeAttrById(id, 1.5);
    EXPECT_EQ(node->GetDateTimeAttrById(id, 0), 1.5);
}

TEST(XmlNodeAttributes, EnumeratedAttributes) {
    const TXmlEnumValues kinds{"none", "Point", "Area"};
    auto node = WithValue("point");
    EXPECT_EQ(node->GetEnumAttr("v", kinds, 7), 1);  // compared without case
    EXPECT_EQ(node->GetEnumAttr("missing", kinds, 7), 7);
    EXPECT_EQ(node->RequireEnumAttr("v", kinds), 1);
    TXmlNameId id = node->GetNameTable()->Intern("v");
    EXPECT_EQ(node->GetEnumAttrById(id, kinds, 7), 1);
    EXPECT_EQ(node->RequireEnumAttrById(id, kinds), 1);
    node->SetAttr("v", "line");
    const std::string message =
        "Incorrect value of the attribute \"v\" at element \"wpt\".\r\n"
        "Allowed values are: \r\n"
        "none\r\nPoint\r\nArea";
    EXPECT_EQ(ErrorOf([&] { node->GetEnumAttr("v", kinds, 0); }), message);
    EXPECT_EQ(ErrorOf([&] { node->RequireEnumAttrById(id, kinds); }), message);
    EXPECT_EQ(ErrorOf([&] { node->RequireEnumAttr("kind", kinds); }), "Attribute \"kind\" not found");
    EXPECT_EQ(ErrorOf([&] { node->RequireEnumAttrById(node->GetNameTable()->Intern("kind"), kinds); }),
              "Attribute \"kind\" not found");
    // a typed value is compared by its text
    node->SetBoolAttr("flag", true);
    EXPECT_EQ(node->GetEnumAttr("flag", {"0", "1"}, 0), 1);
    EXPECT_EQ(ErrorOf([&] { node->GetEnumAttr("v", {}, 0); }),
              "Incorrect value of the attribute \"v\" at element \"wpt\".\r\nAllowed values are: \r\n");
}

}  // namespace
}  // namespace kestro::test
