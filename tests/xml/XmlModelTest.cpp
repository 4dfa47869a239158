// The document model: names and types, values, path lookup, lists,
// ownership and the freeing of trees.
#include <gtest/gtest.h>

#include "XmlTestSupport.h"

namespace kestro::test {
namespace {

const char* const Waypoint =
    "<wpt lat='48.5'>"
    "<name>Camera</name><name>second</name>"
    "<cmt/>"
    "<desc> one <!-- c --> two </desc>"
    "<text>  <![CDATA[  in cdata  ]]>  </text>"
    "<link href='a'/><link href='b'/>"
    "<extensions>"
    "<gpxx:WaypointExtension><gpxx:Other/></gpxx:WaypointExtension>"
    "<gpxx:WaypointExtension>"
    "<gpxx:Address><gpxx:City>Brno</gpxx:City></gpxx:Address>"
    "<gpxx:PhoneNumber Category='Phone'>1</gpxx:PhoneNumber>"
    "</gpxx:WaypointExtension>"
    "</extensions>"
    "</wpt>";

TXmlPtr<IXmlNode> LoadWaypoint() {
    return TXmlPtr<IXmlNode>(LoadXmlText(Waypoint)->GetDocumentElement().Get());
}

TEST(XmlModelNodes, NamesAndTypes) {
    auto document = LoadXmlText("<?xml version='1.0'?><a>t<![CDATA[c]]><!--m--><?p d?></a>");
    EXPECT_EQ(document->GetNodeName(), "#document");
    EXPECT_EQ(document->GetNodeType(), TXmlNodeType::Document);
    auto declaration = document->GetChildNodes()->GetItem(0);
    EXPECT_EQ(declaration->GetNodeName(), "xml");
    EXPECT_EQ(declaration->GetNodeType(), TXmlNodeType::ProcessingInstruction);
    EXPECT_EQ(declaration->GetValue("@version").AsText(), "1.0");
    auto children = document->GetDocumentElement()->GetChildNodes();
    struct Case {
        const char* Name;
        TXmlNodeType Type;
    };
    const Case expected[] = {{"#text", TXmlNodeType::Text},
                             {"#cdata-section", TXmlNodeType::CDATASection},
                             {"#comment", TXmlNodeType::Comment},
                             {"p", TXmlNodeType::ProcessingInstruction}};
    ASSERT_EQ(children->GetCount(), 4);
    for (int i = 0; i < 4; ++i) {
        auto node = children->GetItem(i);
        EXPECT_EQ(node->GetNodeName(), expected[i].Name);
        EXPECT_EQ(node->GetNodeType(), expected[i].Type);
        EXPECT_EQ(node->AsElement(), nullptr);
        EXPECT_EQ(node->AsText() != nullptr, expected[i].Type == TXmlNodeType::Text);
        EXPECT_EQ(node->AsCDATASection() != nullptr, expected[i].Type == TXmlNodeType::CDATASection);
        EXPECT_EQ(node->AsComment() != nullptr, expected[i].Type == TXmlNodeType::Comment);
        EXPECT_EQ(node->AsProcessingInstruction() != nullptr, expected[i].Type == TXmlNodeType::ProcessingInstruction);
        EXPECT_EQ(node->GetParentNode()->GetNodeName(), "a");
        EXPECT_EQ(node->GetOwnerDocument(), document);
    }
    EXPECT_NE(document->GetDocumentElement()->AsElement(), nullptr);
    EXPECT_EQ(document->GetOwnerDocument(), nullptr);
}

TEST(XmlModelValues, GetValueAndGetText) {
    auto wpt = LoadWaypoint();
    struct Case {
        const char* Name;
        const char* Expected;
    };
    for (auto c : std::initializer_list<Case>{
             {"@lat", "48.5"},
             {"@lon", ""},       // missing attribute: the empty text
             {"@", ""},
             {"@ lat", ""},      // the attribute name is taken unchanged
             {"name", "Camera"}, // the first match
             {"Name", ""},       // names differ by case
             {"cmt", ""},        // an empty element
             {"missing", ""},
             {"desc", "one two"},        // two text pieces around a comment
             {"text", "in cdata"},       // CDATA is trimmed too
             {"extensions\\gpxx:WaypointExtension\\gpxx:Other", ""},
         }) {
        EXPECT_EQ(wpt->GetValue(c.Name).AsText(), c.Expected) << c.Name;
    }
    EXPECT_EQ(wpt->GetValue("@lon").Type(), TXmlVarType::String);
    EXPECT_EQ(wpt->GetValue("cmt").Type(), TXmlVarType::Empty);
    EXPECT_EQ(wpt->GetValue("").AsText(), "");  // only element children
}

TEST(XmlModelValues, PreserveWhiteSpaceOfTheOwningDocument) {
    auto document = LoadXmlText("<a><b> x </b><c> <![CDATA[ y ]]> </c></a>", true);
    auto a = document->GetDocumentElement();
    EXPECT_EQ(a->GetValue("b").AsText(), " x ");
    EXPECT_EQ(a->GetValue("c").AsText(), "   y   ");  // " ", " y " and " " joined by blanks
    document->SetPreserveWhiteSpace(false);
    EXPECT_EQ(a->GetValue("b").AsText(), "x");
    EXPECT_EQ(a->GetValue("c").AsText(), "y");
}

TEST(XmlModelValues, OwnValueOfAnElementWithoutChildren) {
    auto document = CreateXmlDocument("root");
    auto root = document->GetDocumentElement();
    root->SetNodeValue(TXmlVariant::FromInt(42));
    EXPECT_EQ(root->GetValue("").Type(), TXmlVarType::Int64);
    EXPECT_EQ(root->GetText(), "42");
    root->AppendChild(TXmlPtr<IXmlNode>(document->CreateText(TXmlVariant("child")).Get()));
    EXPECT_EQ(root->GetText(), "child");  // children win over the own value
    root->SetText("own");
    EXPECT_EQ(root->GetChildNodes()->GetCount(), 0);
    EXPECT_EQ(root->GetText(), "own");
}

TEST(XmlModelPaths, FirstMatchAtEachStep) {
    auto wpt = LoadWaypoint();
    // the first WaypointExtension has no Address, so nothing is found even
    // though the second one has one
    EXPECT_EQ(wpt->SelectElement("extensions\\gpxx:WaypointExtension\\gpxx:Address"), nullptr);
    EXPECT_EQ(wpt->SelectElements("extensions\\gpxx:WaypointExtension\\gpxx:PhoneNumber")->GetCount(), 0);
    auto other = wpt->SelectElement("extensions\\gpxx:WaypointExtension\\gpxx:Other");
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->GetNodeName(), "gpxx:Other");
    EXPECT_EQ(wpt->SelectElement("gpxx:Other"), nullptr);  // children only, never deeper
    EXPECT_EQ(wpt->SelectElement("lat"), nullptr);         // never attributes
    EXPECT_EQ(wpt->SelectElement("Name"), nullptr);
    EXPECT_EQ(wpt->SelectElement("name")->GetText(), "Camera");
}

TEST(XmlModelPaths, NullVersusEmptyLists) {
    auto wpt = LoadWaypoint();
    auto links = wpt->SelectElements("link");
    ASSERT_NE(links, nullptr);
    ASSERT_EQ(links->GetCount(), 2);
    EXPECT_EQ(links->GetItem(0)->GetValue("@href").AsText(), "a");
    EXPECT_EQ(links->GetItem(1)->GetValue("@href").AsText(), "b");
    // selected elements keep their parent
    EXPECT_EQ(links->GetItem(0)->GetParentNode(), wpt);
    auto none = wpt->SelectElements("nolink");
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->GetCount(), 0);
    EXPECT_EQ(wpt->SelectElements("a\\b"), nullptr);
    auto leaves = LoadXmlText("<a><b><c>1</c><x/><c>2</c></b></a>")->GetDocumentElement()->SelectElements("b\\c");
    ASSERT_EQ(leaves->GetCount(), 2);
    EXPECT_EQ(leaves->GetItem(1)->GetText(), "2");
}

TEST(XmlModelPaths, PathsThatAreNotSupported) {
    auto wpt = LoadWaypoint();
    for (const char* path : {"", "\\name", "name\\", "a b", "@lat", "name\\@x", "1x", "extensions\\\\x"}) {
        try {
            wpt->SelectElement(path);
            ADD_FAILURE() << "SelectElement accepted " << path;
        } catch (const Exception& error) {
            EXPECT_STREQ(error.what(), "This feature is not supported by KestroXML") << path;
        }
        EXPECT_THROW(wpt->SelectElements(path), Exception) << path;
    }
    // a step that is not found ends the lookup before a bad rest is seen
    EXPECT_EQ(wpt->SelectElement("missing\\\\"), nullptr);
    EXPECT_THROW(wpt->GetValue("a b"), Exception);
}

TEST(XmlModelLists, ItemsOutOfRange) {
    auto list = LoadWaypoint()->SelectElements("link");
    for (int index : {-1, 2, 1000}) {
        try {
            list->GetItem(index);
            ADD_FAILURE() << index;
        } catch (const Exception& error) {
            EXPECT_EQ(std::string(error.what()), Format("Failed to get list item: Index %d out of range", index));
        }
    }
    list->ExchangeItems(0, 1);
    EXPECT_EQ(list->GetItem(0)->GetValue("@href").AsText(), "b");
    EXPECT_THROW(list->ExchangeItems(0, 2), Exception);
}

TEST(XmlModelLists, RemovingChildrenAndAttributes) {
    auto wpt = LoadWaypoint();
    auto name = wpt->SelectElement("name");
    auto held = wpt->GetChildNodes();
    wpt->RemoveAllChildren();
    wpt->RemoveAllAttributes();
    EXPECT_EQ(held->GetCount(), 0);  // a list someone holds is emptied in place
    EXPECT_EQ(wpt->GetChildNodes()->GetCount(), 0);
    EXPECT_EQ(wpt->GetAttrCount(), 0);
    EXPECT_EQ(wpt->GetValue("@lat").AsText(), "");
    EXPECT_EQ(name->GetParentNode(), nullptr);  // removed children lose their parent
    EXPECT_EQ(name->GetText(), "Camera");
    wpt->SetVarAttr("lat", TXmlVariant("1"));  // attributes can be set again
    EXPECT_EQ(wpt->GetValue("@lat").AsText(), "1");
}

TEST(XmlModelOwnership, AppendingANodeOfAnotherParentInsertsACopy) {
    auto document = LoadXmlText("<a><b x='1'><c/></b></a><!--z-->");
    auto a = document->GetDocumentElement();
    auto b = a->SelectElement("b");
    auto added = document->AppendChild(b);
    EXPECT_NE(added, b);
    EXPECT_EQ(b->GetParentNode(), a);  // the node keeps its place
    EXPECT_EQ(added->GetParentNode(), document);
    EXPECT_EQ(added->GetValue("@x").AsText(), "1");
    EXPECT_NE(added->SelectElement("c"), nullptr);
    EXPECT_EQ(document->GetChildNodes()->GetCount(), 3);
    // a node without a parent of the same table is moved in itself
    auto fresh = document->CreateElement("fresh");
    EXPECT_EQ(a->AppendChild(TXmlPtr<IXmlNode>(fresh.Get())), TXmlPtr<IXmlNode>(fresh.Get()));
    EXPECT_EQ(fresh->GetParentNode(), a);
}

TEST(XmlModelOwnership, AppendingANodeOfAnotherNameTableCopiesAndInternsItsNames) {
    auto source = LoadXmlText("<only-here attr-here='v'><inner/></only-here>");
    auto target = CreateXmlDocument("root");
    auto node = source->GetDocumentElement();
    auto copy = target->GetDocumentElement()->AppendChild(TXmlPtr<IXmlNode>(source->CreateElement("loose").Get()));
    EXPECT_EQ(copy->GetNameTable(), target->GetNameTable());
    auto moved = target->GetDocumentElement()->AppendChild(TXmlPtr<IXmlNode>(node.Get()));
    EXPECT_EQ(moved->GetNameTable(), target->GetNameTable());
    EXPECT_EQ(moved->GetNodeNameId(), target->GetNameTable()->Intern("only-here"));
    EXPECT_EQ(moved->GetAttrNameId(0), target->GetNameTable()->Intern("attr-here"));
    EXPECT_EQ(moved->SelectElement("inner")->GetNodeNameId(), target->GetNameTable()->Intern("inner"));
    EXPECT_EQ(node->GetParentNode(), source);
}

TEST(XmlModelOwnership, AppendingANodeUnderItselfInsertsACopy) {
    auto document = CreateXmlDocument();
    auto a = document->CreateElement("a");
    auto b = a->AppendChild(TXmlPtr<IXmlNode>(document->CreateElement("b").Get()));
    auto copy = b->AppendChild(TXmlPtr<IXmlNode>(a.Get()));
    EXPECT_NE(copy, TXmlPtr<IXmlNode>(a.Get()));
    EXPECT_EQ(copy->GetXml(), "<a><b/></a>");
    EXPECT_EQ(a->GetXml(), "<a><b><a><b/></a></b></a>");
    auto self = a->AppendChild(TXmlPtr<IXmlNode>(a.Get()));
    EXPECT_NE(self, TXmlPtr<IXmlNode>(a.Get()));
}

TEST(XmlModelOwnership, NodesOutliveTheirParentSafely) {
    TXmlPtr<IXmlNode> kept;
    TXmlPtr<IXmlNodeList> keptList;
    {
        auto document = LoadXmlText("<a><b/><c/></a>");
        kept = document->GetDocumentElement()->SelectElement("b");
        keptList = document->GetDocumentElement()->GetChildNodes();
    }
    EXPECT_EQ(kept->GetParentNode(), nullptr);
    EXPECT_EQ(keptList->GetCount(), 2);
    EXPECT_EQ(keptList->GetItem(1)->GetParentNode(), nullptr);
}

TEST(XmlModelOwnership, DeepTreesAreFreedWithoutRecursion) {
    auto document = CreateXmlDocument();
    TXmlPtr<IXmlNode> node(document.Get());
    for (int i = 0; i < 1000000; ++i) node = node->AppendChild(TXmlPtr<IXmlNode>(document->CreateElement("e").Get()));
    node.Reset();
    auto copy = document->CloneNode(true);  // copying works without recursion too
    std::string xml = copy->GetXml();
    // the declaration, then "<e>" and "</e>" around the innermost "<e/>"
    std::string_view declaration = "<?xml version=\"1.0\" encoding=\"WINDOWS-1252\"?>";
    EXPECT_EQ(xml.size(), declaration.size() + 999999u * 7 + 4);
    copy.Reset();
    document.Reset();
}

TEST(XmlModelDocument, NewDocumentAndFactories) {
    auto document = CreateXmlDocument("gpx", "", "windows-1250");
    auto children = document->GetChildNodes();
    ASSERT_EQ(children->GetCount(), 2);
    EXPECT_EQ(children->GetItem(0)->GetNodeName(), "xml");
    EXPECT_EQ(children->GetItem(0)->GetValue("@version").AsText(), "1.0");
    EXPECT_EQ(children->GetItem(0)->GetValue("@encoding").AsText(), "windows-1250");
    EXPECT_EQ(document->GetDocumentElement()->GetNodeName(), "gpx");
    auto root = document->NewDocument("1.1", "", "other");
    EXPECT_EQ(document->GetChildNodes()->GetCount(), 2);
    EXPECT_EQ(document->GetChildNodes()->GetItem(0)->GetValue("@encoding").AsText(), "UTF-8");
    EXPECT_EQ(root->GetNodeName(), "other");
    EXPECT_EQ(document->CreateElement("x")->GetParentNode(), nullptr);
    EXPECT_EQ(document->CreateComment("c")->GetText(), "c");
    EXPECT_EQ(document->CreateCDATASection("d")->GetText(), "d");
    EXPECT_EQ(document->CreateProcessingInstruction("t", "data")->GetNodeName(), "t");
    EXPECT_EQ(CreateXmlDocument()->GetDocumentElement(), nullptr);
    // a shared name table
    auto table = CreateXmlNameTable(7);
    auto first = CreateXmlDocument("", "", "", table);
    auto second = CreateXmlDocument("", "", "", table);
    EXPECT_EQ(first->GetNameTable(), second->GetNameTable());
}

TEST(XmlModelDocument, WrittenTextReadsBackIntoTheSameTree) {
    // the declaration names the working code page
    TCodePageScope codePage(1252);
    const char* text = "<?xml version=\"1.0\" encoding=\"WINDOWS-1252\"?>"
                       "<a x=\"&amp;&lt;&quot;\"><b>1 &lt; 2</b><![CDATA[c]]><!--m--><?p d?><e/></a>";
    auto document = LoadXmlText(text);
    EXPECT_EQ(document->GetXml(), text);
    EXPECT_EQ(LoadXmlText(document->GetXml())->GetXml(), text);
}

std::uint32_t NameHash(std::string_view name) {
    std::uint32_t h = 0;
    for (unsigned char c : name) h = h + ((h << 6) ^ c);
    return h;
}

TEST(XmlModelNameTable, InternsOnceAndFindsByHash) {
    auto table = CreateXmlNameTable();
    TXmlNameId a = table->Intern("gpxx:City");
    EXPECT_EQ(table->Intern("gpxx:City"), a);
    EXPECT_NE(table->Intern("gpxx:city"), a);
    EXPECT_EQ(table->NameOf(a), "gpxx:City");
    EXPECT_EQ(table->Intern(""), nullptr);
    EXPECT_EQ(table->NameOf(nullptr), "");
    // h = h + ((h << 6) xor c): "ab" -> 97, then 97 + ((97 << 6) ^ 98)
    std::uint32_t hashOfAb = 97u + ((97u << 6) ^ 98u);
    EXPECT_EQ(table->FindByHash(hashOfAb), nullptr);
    TXmlNameId ab = table->Intern("ab");
    EXPECT_EQ(table->FindByHash(hashOfAb), ab);
    EXPECT_EQ(NameHash("ab"), hashOfAb);
    // the predefined names are there from the start
    for (const char* name : {"#text", "#cdata-section", "#comment", "#document", "xml", "encoding"}) {
        ASSERT_NE(table->FindByHash(NameHash(name)), nullptr) << name;
        EXPECT_EQ(*table->FindByHash(NameHash(name)), name);
    }
}

TEST(XmlModelVariant, TextOfEveryKind) {
    struct Case {
        TXmlVariant Value;
        const char* Text;
    };
    for (const auto& c : std::initializer_list<Case>{
             {TXmlVariant(), ""},
             {TXmlVariant::MakeNull(), ""},
             {TXmlVariant("abc"), "abc"},
             {TXmlVariant::FromInt(-5, TXmlVarType::Integer), "-5"},
             {TXmlVariant::FromInt(300, TXmlVarType::Byte), "44"},
             {TXmlVariant::FromFloat(2.5), "2.5"},
             {TXmlVariant::FromFloat(1e300, TXmlVarType::Single), "INF"},
             {TXmlVariant::FromFloat(-1.0 / 0.0), "-INF"},
             {TXmlVariant::FromBool(true), "1"},
             {TXmlVariant::FromBool(false), "0"},
             {TXmlVariant::FromInt(-12345, TXmlVarType::Currency), "-1.2345"},
             {TXmlVariant::FromInt(20000, TXmlVarType::Currency), "2"},
             {TXmlVariant::FromDateTime(0.0), "1899-12-30T00:00:00"},
             {TXmlVariant::FromDateTime(45000.75), "2023-03-15T18:00:00"},
             {TXmlVariant::FromDateTime(1e300), ""},
             {TXmlVariant::FromWide(u"\u00E9\U0001F600"), "\xC3\xA9\xF0\x9F\x98\x80"},
         }) {
        EXPECT_EQ(c.Value.AsText(), std::string(c.Text)) << static_cast<int>(c.Value.Type());
    }
    TXmlVariant text("copy me");
    TXmlVariant copied = text;
    TXmlVariant moved = std::move(copied);
    EXPECT_EQ(moved, text);
    EXPECT_EQ(TXmlVariant::FromBytes(std::string("a\0b", 3)).TextView().size(), 3u);
    EXPECT_FALSE(TXmlVariant("1") == TXmlVariant::FromInt(1));
}

}  // namespace
}  // namespace kestro::test
