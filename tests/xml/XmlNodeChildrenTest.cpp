// Child operations of the node interface: inserting, replacing, removing and
// exchanging children, the append helpers, child texts, paths, FindElement,
// SetValue and copies.
#include <gtest/gtest.h>

#include "XmlTestSupport.h"
#include "XmlTreeDump.h"

namespace kestro::test {
namespace {

template <class T>
TXmlPtr<IXmlNode> AsNode(const TXmlPtr<T>& node) {
    return TXmlPtr<IXmlNode>(node.Get());
}

// The names of the children, joined by blanks.
std::string ChildNames(const TXmlPtr<IXmlNode>& node) {
    std::string names;
    auto children = node->GetChildNodes();
    for (int i = 0; i < children->GetCount(); ++i) {
        if (i > 0) names += ' ';
        names += children->GetItem(i)->GetNodeName();
    }
    return names;
}

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& error) {
        return error.what();
    }
    return "";
}

TXmlPtr<IXmlNode> Root(const TXmlPtr<IXmlDocument>& document) { return AsNode(document->GetDocumentElement()); }

TEST(XmlNodeChildren, InsertBeforeReplaceRemoveExchange) {
    auto document = LoadXmlText("<r><a/><b/><c/></r>");
    auto r = Root(document);
    auto a = r->SelectElement("a"), b = r->SelectElement("b"), c = r->SelectElement("c");
    auto x = AsNode(document->CreateElement("x"));
    EXPECT_EQ(r->InsertBefore(x, b), x);
    EXPECT_EQ(ChildNames(r), "a x b c");
    EXPECT_EQ(x->GetParentNode(), r);
    r->InsertBefore(AsNode(document->CreateElement("y")), nullptr);  // null: at the end
    EXPECT_EQ(ChildNames(r), "a x b c y");

    auto z = AsNode(document->CreateElement("z"));
    EXPECT_EQ(r->ReplaceChild(z, b), b);
    EXPECT_EQ(ChildNames(r), "a x z c y");
    EXPECT_EQ(b->GetParentNode(), nullptr);
    EXPECT_EQ(r->ReplaceChild(z, z), z);  // a node replacing itself stays
    EXPECT_EQ(ChildNames(r), "a x z c y");

    EXPECT_EQ(r->RemoveChild(a), a);
    EXPECT_EQ(a->GetParentNode(), nullptr);
    EXPECT_EQ(ChildNames(r), "x z c y");

    r->ExchangeChildren(x, c);
    EXPECT_EQ(ChildNames(r), "c z x y");
    r->ExchangeChildren(z, z);
    EXPECT_EQ(ChildNames(r), "c z x y");
}

TEST(XmlNodeChildren, AChildOfTheSameNodeMovesInsteadOfBeingHeldTwice) {
    auto document = LoadXmlText("<r><a/><b/><c/></r>");
    auto r = Root(document);
    auto a = r->SelectElement("a"), b = r->SelectElement("b"), c = r->SelectElement("c");
    EXPECT_EQ(r->AppendChild(a), a);
    EXPECT_EQ(ChildNames(r), "b c a");
    EXPECT_EQ(r->InsertBefore(a, b), a);
    EXPECT_EQ(ChildNames(r), "a b c");
    r->InsertBefore(a, c);
    EXPECT_EQ(ChildNames(r), "b a c");
    r->InsertBefore(c, b);
    EXPECT_EQ(ChildNames(r), "c b a");
    // replacing with a sibling moves the sibling into the old child's place
    r->ReplaceChild(a, c);
    EXPECT_EQ(ChildNames(r), "a b");
    EXPECT_EQ(c->GetParentNode(), nullptr);
    r->ReplaceChild(a, b);
    EXPECT_EQ(ChildNames(r), "a");
    r->RemoveChild(a);
    EXPECT_EQ(r->GetChildNodes()->GetCount(), 0);
}

TEST(XmlNodeChildren, NodesOfOtherParentsOrTablesGoInAsCopies) {
    auto document = LoadXmlText("<r><a/><b><inner k='v'/></b></r>");
    auto r = Root(document);
    auto a = r->SelectElement("a"), b = r->SelectElement("b");
    auto inner = b->SelectElement("inner");
    auto inserted = r->InsertBefore(inner, a);
    EXPECT_NE(inserted, inner);
    EXPECT_EQ(inner->GetParentNode(), b);
    EXPECT_EQ(inserted->GetAttr("k"), "v");
    EXPECT_EQ(ChildNames(r), "inner a b");
    // a node of another document is copied with its names interned here
    auto other = LoadXmlText("<foreign only-there='1'/>");
    auto replaced = r->ReplaceChild(Root(other), a);
    EXPECT_EQ(replaced, a);
    EXPECT_EQ(ChildNames(r), "inner foreign b");
    auto copy = r->SelectElement("foreign");
    EXPECT_EQ(copy->GetNameTable(), r->GetNameTable());
    EXPECT_EQ(copy->GetAttrNameId(0), r->GetNameTable()->Intern("only-there"));
    // a node put under itself goes in as a copy, so no cycle is made
    auto self = b->InsertBefore(r, b->SelectElement("inner"));
    EXPECT_NE(self, r);
    EXPECT_EQ(ChildNames(b), "r inner");
}

TEST(XmlNodeChildren, OperationsOnNodesThatAreNoChildrenRaise) {
    auto document = LoadXmlText("<r><a/><b><c/></b></r>");
    auto r = Root(document);
    auto c = r->SelectElement("b\\c");
    auto loose = AsNode(document->CreateElement("loose"));
    const std::string notAChild = "The node is not a child of this node";
    struct Case {
        const char* Name;
        std::function<void()> Action;
        std::string Message;
    };
    for (const auto& test : std::initializer_list<Case>{
             {"insert before a grandchild", [&] { r->InsertBefore(loose, c); }, notAChild},
             {"replace a loose node", [&] { r->ReplaceChild(loose, loose); }, notAChild},
             {"remove a grandchild", [&] { r->RemoveChild(c); }, notAChild},
             {"remove from a node without children", [&] { c->RemoveChild(loose); }, notAChild},
             {"exchange with a loose node", [&] { r->ExchangeChildren(r->SelectElement("a"), loose); }, notAChild},
             {"remove null", [&] { r->RemoveChild(nullptr); }, "Node expected"},
             {"insert null", [&] { r->InsertBefore(nullptr, nullptr); }, "Node expected"},
             {"replace with null", [&] { r->ReplaceChild(nullptr, r->SelectElement("a")); }, "Node expected"},
         }) {
        EXPECT_EQ(ErrorOf(test.Action), test.Message) << test.Name;
    }
    EXPECT_EQ(ChildNames(r), "a b");  // nothing changed
    EXPECT_EQ(loose->GetParentNode(), nullptr);
}

TEST(XmlNodeChildren, AppendHelpersMakeEveryKind) {
    auto document = CreateXmlDocument("root");
    auto root = AsNode(document->GetDocumentElement());
    auto element = root->AppendElement("item");
    auto byId = root->AppendElementById(document->GetNameTable()->Intern("other"));
    root->AppendText(TXmlVariant::FromInt(42));
    root->AppendCDATA("c<d");
    root->AppendComment("note");
    root->AppendProcessingInstruction("target", " data");
    root->AppendProcessingInstructionById(document->GetNameTable()->Intern("second"), "");
    EXPECT_EQ(DumpXmlTree(root),
              "element root\n"
              "  element item\n"
              "  element other\n"
              "  text '42'\n"
              "  cdata 'c<d'\n"
              "  comment 'note'\n"
              "  pi target ' data'\n"
              "  pi second ''\n");
    EXPECT_EQ(root->GetChildNodes()->GetItem(2)->GetDataType(), TXmlVarType::Int64);  // the value keeps its type
    EXPECT_EQ(element->GetParentNode(), root);
    EXPECT_EQ(byId->GetOwnerDocument(), document);
    EXPECT_EQ(ErrorOf([&] { root->AppendElement(""); }), "Element name expected");
    EXPECT_EQ(ErrorOf([&] { root->AppendElementById(nullptr); }), "Element name expected");
    EXPECT_EQ(ErrorOf([&] { root->AppendProcessingInstruction("", "x"); }), "Processing instruction target expected");
}

TEST(XmlNodeChildren, IdentitiesOfAnotherTableAreInternedAsTheirText) {
    auto document = CreateXmlDocument("root");
    auto root = AsNode(document->GetDocumentElement());
    TXmlNameId foreign;
    {
        auto otherTable = CreateXmlNameTable();
        foreign = otherTable->Intern("borrowed");
        root->AppendElementById(foreign);
        root->SetVarAttrById(foreign, TXmlVariant("v"));
        auto created = document->CreateElementById(foreign);
        EXPECT_EQ(created->GetNodeNameId(), document->GetNameTable()->Intern("borrowed"));
    }
    // the other table is gone; the names live on in the document's own table
    EXPECT_EQ(root->SelectElement("borrowed")->GetNodeName(), "borrowed");
    EXPECT_EQ(root->GetAttr("borrowed"), "v");
}

TEST(XmlNodeChildren, ChildTextHelpers) {
    auto document = LoadXmlText("<r><name> first </name><name>second</name><empty/></r>");
    auto r = Root(document);
    TXmlPtr<IXmlNameTable> names = r->GetNameTable();
    EXPECT_EQ(r->GetChildText("name", "d"), "first");
    EXPECT_EQ(r->GetChildTextById(names->Intern("name"), "d"), "first");
    EXPECT_EQ(r->GetChildText("empty", "d"), "");
    EXPECT_EQ(r->GetChildText("missing", "d"), "d");
    EXPECT_EQ(r->GetChildText("Name"), "");  // names differ by case
    EXPECT_EQ(r->GetChildTextById(nullptr, "d"), "d");

    r->SetChildText("name", "changed");  // the first one
    EXPECT_EQ(r->SelectElements("name")->GetItem(0)->GetText(), "changed");
    EXPECT_EQ(r->SelectElements("name")->GetItem(1)->GetText(), "second");
    r->SetChildText("added", "new");
    r->SetChildTextById(names->Intern("byid"), "x");
    EXPECT_EQ(ChildNames(r), "name name empty added byid");
    EXPECT_EQ(r->GetChildText("added"), "new");

    EXPECT_EQ(r->RequireChild("empty"), r->SelectElement("empty"));
    EXPECT_EQ(r->RequireChildById(names->Intern("added")), r->SelectElement("added"));
    EXPECT_EQ(ErrorOf([&] { r->RequireChild("nothing"); }), "Error: Child node \"nothing\" not found");
    EXPECT_EQ(ErrorOf([&] { r->RequireChildById(names->Intern("absent")); }), "Error: Child node \"absent\" not found");

    auto ensured = r->EnsureChild("empty");
    EXPECT_EQ(ensured, r->SelectElement("empty"));
    auto made = r->EnsureChild("made");
    auto again = r->EnsureChildById(names->Intern("made"));
    EXPECT_EQ(made, again);
    EXPECT_EQ(ChildNames(r), "name name empty added byid made");
}

TEST(XmlNodeChildren, FullPathFromTheTopmostElement) {
    auto document = LoadXmlText("<gpx><wpt><extensions><gpxx:Address>x</gpxx:Address></extensions></wpt></gpx>");
    auto address = Root(document)->SelectElement("wpt\\extensions\\gpxx:Address");
    EXPECT_EQ(address->GetFullPath(), "gpx\\wpt\\extensions\\gpxx:Address");
    EXPECT_EQ(address->GetChildNodes()->GetItem(0)->GetFullPath(), "gpx\\wpt\\extensions\\gpxx:Address\\#text");
    EXPECT_EQ(Root(document)->GetFullPath(), "gpx");
    EXPECT_EQ(document->GetFullPath(), "");
    // a tree outside any document starts at its top node
    auto loose = AsNode(document->CreateElement("loose"));
    auto child = AsNode(loose->AppendElement("child"));
    EXPECT_EQ(child->GetFullPath(), "loose\\child");
}

TEST(XmlNodeChildren, FindElementByAttributeValue) {
    auto document = LoadXmlText(
        "<r><p id='x'/><p id='7'/><q id='7'/><p id='7.0' n='second'/><p/><p id='2011-05-01T00:00:00'/></r>");
    auto r = Root(document);
    document->GetDocumentElement()->AppendElement("p")->SetIntAttr("id", 9);
    struct Case {
        const char* Name;
        TXmlVariant Value;
        int Index;  // of the p element found, -1: none
    };
    auto ps = r->SelectElements("p");
    for (const auto& test : std::initializer_list<Case>{
             {"text", TXmlVariant("x"), 0},
             {"text is exact", TXmlVariant("7.0"), 2},
             {"number against texts", TXmlVariant::FromInt(7), 1},  // "x" cannot be compared and is skipped
             {"float against texts", TXmlVariant::FromFloat(7.0), 1},
             {"number against a typed value", TXmlVariant::FromFloat(9.0), 5},
             {"text against a typed value", TXmlVariant("9"), 5},
             {"date against texts", TXmlVariant::FromDateTime(40664.0), 4},
             {"nothing matches", TXmlVariant("y"), -1},
             {"wrong case", TXmlVariant("X"), -1},
         }) {
        auto found = r->FindElement("p", "id", test.Value);
        if (test.Index < 0) {
            EXPECT_EQ(found, nullptr) << test.Name;
        } else {
            EXPECT_EQ(found, ps->GetItem(test.Index)) << test.Name;
        }
    }
    EXPECT_EQ(r->FindElement("missing", "id", TXmlVariant("x")), nullptr);
    EXPECT_EQ(r->FindElement("p", "missing", TXmlVariant("x")), nullptr);
}

TEST(XmlNodeChildren, SetValueMirrorsGetValue) {
    auto document = LoadXmlText("<wpt><name>old</name><extensions/></wpt>");
    auto wpt = Root(document);
    wpt->SetValue("name", TXmlVariant("new"));
    EXPECT_EQ(wpt->GetValue("name").AsText(), "new");
    wpt->SetValue("@lat", TXmlVariant::FromFloat(48.5));
    EXPECT_EQ(wpt->GetValue("@lat").AsText(), "48.5");
    EXPECT_EQ(wpt->GetAttrType("lat"), TXmlVarType::Double);
    // the missing steps of a path are appended
    wpt->SetValue("extensions\\gpxx:WaypointExtension\\gpxx:Proximity", TXmlVariant::FromInt(300));
    EXPECT_EQ(wpt->GetValue("extensions\\gpxx:WaypointExtension\\gpxx:Proximity").AsText(), "300");
    wpt->SetValue("cmt", TXmlVariant("comment"));
    EXPECT_EQ(ChildNames(wpt), "name extensions cmt");
    auto name = wpt->SelectElement("name");
    name->SetValue("", TXmlVariant("own"));
    EXPECT_EQ(name->GetValue("").AsText(), "own");
    // an unusable path changes nothing
    EXPECT_EQ(ErrorOf([&] { wpt->SetValue("new\\\\x", TXmlVariant("v")); }), "This feature is not supported by KestroXML");
    EXPECT_EQ(ErrorOf([&] { wpt->SetValue("a b", TXmlVariant("v")); }), "This feature is not supported by KestroXML");
    EXPECT_EQ(wpt->SelectElement("new"), nullptr);
    EXPECT_EQ(ErrorOf([&] { wpt->SetValue("@", TXmlVariant("v")); }), "Attribute name expected");
}

TEST(XmlNodeChildren, ClonesAreIndependentOfTheOriginal) {
    const char* text = "<r a='1'><b>text</b><![CDATA[c]]><!--m--><?p d?></r>";
    auto document = LoadXmlText(text);
    auto r = Root(document);
    std::string before = DumpXmlTree(r);

    auto deep = r->CloneNode(true);
    EXPECT_EQ(DumpXmlTree(deep), before);
    EXPECT_EQ(deep->GetParentNode(), nullptr);
    EXPECT_EQ(deep->GetNameTable(), r->GetNameTable());
    deep->SetAttr("a", "changed");
    deep->SelectElement("b")->SetText("changed");
    deep->AppendElement("added");
    deep->GetChildNodes()->GetItem(1)->SetText("changed");
    deep->RemoveChild(deep->GetChildNodes()->GetItem(2));
    EXPECT_EQ(DumpXmlTree(r), before);

    auto shallow = r->CloneNode(false);
    EXPECT_EQ(DumpXmlTree(shallow), "element r a='1'\n");
    shallow->SetAttr("a", "2");
    EXPECT_EQ(r->GetAttr("a"), "1");

    // changing the original leaves the copy as it was
    auto copy = r->CloneNode(true);
    r->SelectElement("b")->SetText("later");
    r->RemoveAllAttributes();
    EXPECT_EQ(DumpXmlTree(copy), before);

    // a whole document, with its white-space option
    document->SetPreserveWhiteSpace(true);
    auto documentCopy = document->CloneNode(true);
    EXPECT_EQ(DumpXmlTree(documentCopy), DumpXmlTree(document));
    EXPECT_EQ(documentCopy->GetNodeType(), TXmlNodeType::Document);
    EXPECT_TRUE(documentCopy->GetOwnerDocument() == nullptr);
}

TEST(XmlNodeChildren, ExchangeItemsOfAList) {
    auto document = LoadXmlText("<r><a/><b/><c/></r>");
    auto r = Root(document);
    auto children = r->GetChildNodes();
    children->ExchangeItems(0, 2);
    EXPECT_EQ(ChildNames(r), "c b a");
    children->ExchangeItems(1, 1);
    EXPECT_EQ(ChildNames(r), "c b a");
    EXPECT_EQ(ErrorOf([&] { children->ExchangeItems(0, 3); }), "Failed to get list item: Index 3 out of range");
    EXPECT_EQ(ErrorOf([&] { children->ExchangeItems(-1, 0); }), "Failed to get list item: Index -1 out of range");
    // a selection is a list of its own: exchanging there leaves the children
    auto selection = r->SelectElements("a");
    selection->ExchangeItems(0, 0);
    EXPECT_EQ(selection->GetItem(0)->GetParentNode(), r);
}

}  // namespace
}  // namespace kestro::test
