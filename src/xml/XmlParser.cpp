#include "xml/XmlParser.h"

#include <unordered_map>

#include "diag/Exceptions.h"
#include "platform/CodePages.h"
#include "xml/UKestroXML.h"
#include "xml/XmlChars.h"
#include "xml/XmlElement.h"
#include "xml/XmlError.h"
#include "xml/XmlNodeList.h"
#include "xml/XmlSource.h"
#include "xml/XmlTextNodes.h"

namespace kestro {

namespace {

class TXmlParser {
public:
    TXmlParser(TXmlSource& source, TXmlNameTable& names, const TXmlParseOptions& options)
        : Source_(source), Names_(names), Options_(options) {}

    void ParseContent(TXmlNode& parent) {
        while (!Source_.EndOfInput()) {
            ReadCharacterData(parent);
            // A final "<" with nothing after it is ignored.
            if (Source_.EndOfInput() || !Source_.NextChar()) break;
            switch (Source_.Current()) {
                case '/': return;  // the caller reads the end tag
                case '?':
                    Source_.NextChar();
                    ReadProcessingInstruction(parent);
                    break;
                case '!':
                    Source_.NextChar();
                    ReadMarkup(parent);
                    break;
                default:
                    // A document has one root element: a second is no
                    // document of its own, and reading on would mix the two.
                    if (Depth_ == 0 && RootRead_) Source_.Fail("A document has only one root element");
                    ReadElement(parent);
                    if (Depth_ == 0) RootRead_ = true;
                    break;
            }
        }
    }

private:
    // Appends a fresh node; returns the list that received it.
    TXmlNodeList& Append(TXmlNode& parent, const TXmlPtr<TXmlNode>& node) {
        TXmlNodeList& list = parent.GetChildList();
        list.AddNew(node.Get());
        return list;
    }

    void ReadCharacterData(TXmlNode& parent) {
        // Blanks that trimming would drop are not collected first: a file
        // of nothing but NUL bytes or line breaks takes no memory.
        if (!Options_.PreserveWhiteSpace) Source_.SkipBlanks();
        std::string_view text = Source_.ReadCharacterData();
        if (!Options_.PreserveWhiteSpace) text = TrimXmlBlanks(text);
        if (!text.empty()) Append(parent, TXmlPtr<TXmlNode>(new TXmlText(&Names_, TXmlVariant(text))));
    }

    void ReadElement(TXmlNode& parent) {
        TXmlNameId name = Names_.Intern(Source_.ReadName());
        if (Source_.EndOfInput()) RaiseXmlError("Incomplete definition of the element");
        char next = Source_.Current();
        if (!IsXmlBlank(next) && next != '/' && next != '>') RaiseXmlError("Invalid symbol in the name of the element");
        // Nesting is bounded so that no input can exhaust the stack.
        if (Depth_ >= MaxXmlNestingDepth)
            Source_.Fail(Format("Elements are nested deeper than %d levels", MaxXmlNestingDepth));
        TXmlPtr<TXmlElement> element(new TXmlElement(&Names_, name));
        TXmlPtr<TXmlNodeList> list(&Append(parent, TXmlPtr<TXmlNode>(element.Get())));
        ReadAttributes(*element);
        TXmlPtr<IXmlNode> node(element.Get());
        if (Options_.OnElementBegin) Options_.OnElementBegin(list.Get(), node);
        if (Source_.Current() == '/') {
            Source_.ExpectText("/>");
        } else {
            Source_.ExpectChar('>');
            ++Depth_;
            ParseContent(*element);
            --Depth_;
            Source_.ExpectChar('/');
            Source_.ExpectText(*name);
            Source_.SkipBlanks();
            Source_.ExpectChar('>');
        }
        if (Options_.OnElementEnd) Options_.OnElementEnd(list.Get(), node);
    }

    void ReadAttributes(TXmlNode& node) {
        AttrIndex_.clear();
        Source_.SkipBlanks();
        while (!Source_.EndOfInput() && IsXmlNameStart(Source_.Current())) {
            TXmlNameId name = Names_.Intern(Source_.ReadName());
            Source_.SkipBlanks();
            Source_.ExpectChar('=');
            Source_.SkipBlanks();
            if (Source_.EndOfInput()) Source_.Fail("The value of the attribute is expected");
            if (Source_.Current() != '"' && Source_.Current() != '\'') Source_.Fail("Line constant expected");
            SetAttr(node, name, TXmlVariant(Source_.ReadQuoted()));
            Source_.ReleaseEndedTokens();
            Source_.SkipBlanks();
        }
    }

    // As the node's SetAttr, the one of a repeated name taking the new value.
    void SetAttr(TXmlNode& node, TXmlNameId name, TXmlVariant value) {
        constexpr std::int32_t searchedInTurn = 16;
        if (node.AttrCount < searchedInTurn) {
            node.SetAttr(name, std::move(value));
            return;
        }
        if (AttrIndex_.empty())
            for (std::int32_t i = 0; i < node.AttrCount; ++i) AttrIndex_.emplace(node.Attrs[i].Name, i);
        if (const auto known = AttrIndex_.find(name); known != AttrIndex_.end()) {
            node.Attrs[known->second].Value = std::move(value);
            return;
        }
        AttrIndex_.emplace(name, node.AttrCount);
        node.AppendAttr(name, std::move(value));
    }

    void ReadProcessingInstruction(TXmlNode& parent) {
        TXmlNameId target = Names_.Intern(Source_.ReadName());
        TXmlPtr<TXmlProcessingInstruction> instruction(new TXmlProcessingInstruction(&Names_, target, {}));
        Append(parent, TXmlPtr<TXmlNode>(instruction.Get()));
        if (target != Names_.XmlName) {
            instruction->Data = Source_.ReadUntil("?>");
            return;
        }
        // The XML declaration: its encoding applies from the next block read.
        ReadAttributes(*instruction);
        Source_.ExpectText("?>");
        TXmlAttrData* encoding = instruction->FindAttr(Names_.EncodingName);
        std::string name = encoding ? encoding->Value.AsText() : std::string();
        std::uint16_t codePage = Utf8CodePage;
        if (!name.empty()) {
            codePage = FindXmlCodePage(name);
            if (codePage == 0) RaiseXmlError(Format("Encoding \"%s\" is not supported by KestroXML", name.c_str()));
        }
        Source_.SetSourceCodePage(codePage);
    }

    // After "<!": a comment, a CDATA section or a document type declaration.
    void ReadMarkup(TXmlNode& parent) {
        if (Source_.Current() == '-') {
            Source_.ExpectText("--");
            std::string_view text = Source_.ReadUntil("-->");
            Append(parent, TXmlPtr<TXmlNode>(new TXmlComment(&Names_, text)));
        } else if (Source_.Current() == '[') {
            Source_.ExpectText("[CDATA[");
            std::string_view text = Source_.ReadUntil("]]>");
            Append(parent, TXmlPtr<TXmlNode>(new TXmlCDATASection(&Names_, text)));
        } else {
            // The declaration is skipped up to its first ">", internal subset or not.
            Source_.ExpectText("DOCTYPE");
            Source_.ReadUntil(">");
        }
    }

    TXmlSource& Source_;
    TXmlNameTable& Names_;
    const TXmlParseOptions& Options_;
    int Depth_ = 0;
    bool RootRead_ = false;
    // Attribute positions by name while one element's attributes are read,
    // once there are too many to search in turn.
    std::unordered_map<TXmlNameId, std::int32_t> AttrIndex_;
};

}  // namespace

void ParseXmlContent(TXmlNode& parent, TXmlSource& source, TXmlNameTable& names, const TXmlParseOptions& options) {
    TXmlParser(source, names, options).ParseContent(parent);
}

}  // namespace kestro
