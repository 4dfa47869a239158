#pragma once
// Texts of a GPI file in the HTML report. A text decoded from the file's code
// page is first made printable (control characters and undecoded bytes as
// "\xNN", as the outline shows them; line breaks and tabs stay), then escaped
// for where it goes: into the page's markup, or into the JSON the page's
// script reads from a <script> element. The script shows texts only as text,
// so whatever a file holds can never become markup or code.
#include <string>
#include <string_view>

namespace kestro {

// UTF-8 with control characters, C1 controls and undecoded bytes as "\xNN" / "\uNNNN".
std::string PrintableText(const std::u32string& text);
// UTF-8 text with & < > " ' as character references.
std::string EscapeHtml(std::string_view utf8);
// UTF-8 text as a JSON string literal that cannot end a <script> element:
// < > & and the line separators U+2028 / U+2029 become \u escapes.
std::string ScriptJsonString(std::string_view utf8);

// The decoded text as markup / as a JSON literal for the page's script.
inline std::string HtmlText(const std::u32string& text) { return EscapeHtml(PrintableText(text)); }
inline std::string ScriptText(const std::u32string& text) { return ScriptJsonString(PrintableText(text)); }

}  // namespace kestro
