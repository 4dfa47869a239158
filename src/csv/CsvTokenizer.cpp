#include "csv/CsvTokenizer.h"

#include <algorithm>

namespace kestro {
namespace {

constexpr int End = std::char_traits<char>::eof();
// Bounds of what one record keeps: point texts are cut at 65535 bytes when
// written, and no list has thousands of columns. Beyond them a line is
// still read to its end, its bytes dropped, so memory stays bounded.
constexpr std::size_t MaxFieldBytes = std::size_t{1} << 20;
constexpr std::size_t MaxFields = 4096;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trimmed(const std::string& text, std::size_t from, std::size_t to) {
    while (from < to && IsBlank(text[from])) ++from;
    while (to > from && IsBlank(text[to - 1])) --to;
    return text.substr(from, to - from);
}

}  // namespace

TCsvTokenizer::TCsvTokenizer(std::istream& in, char separator) : in_(*in.rdbuf()), separator_(separator) {}

int TCsvTokenizer::Get() {
    const int c = in_.sbumpc();
    if (c != End) ++bytesRead_;
    return c;
}

int TCsvTokenizer::Peek() { return in_.sgetc(); }

bool TCsvTokenizer::Next(TCsvRecord& record) {
    while (ReadRecord(record))
        if (record.Unterminated || !IsBlankRecord(record.Fields)) return true;
    return false;
}

bool TCsvTokenizer::ReadRecord(TCsvRecord& record) {
    record.Fields.clear();
    record.Line = line_;
    record.Unterminated = false;
    int c = Peek();
    if (c == End) return false;
    // Blanks around a field are dropped unless quoted; text after a closing
    // quote is kept as it stands, as lenient readers do.
    std::string field;
    std::size_t quotedFrom = std::string::npos;  // field[quotedFrom, quotedTo) came from quotes
    std::size_t quotedTo = 0;
    bool inQuotes = false;
    auto finishField = [&] {
        if (record.Fields.size() >= MaxFields) {
            field.clear();
            quotedFrom = std::string::npos;
            return;
        }
        if (quotedFrom == std::string::npos) {
            record.Fields.push_back(Trimmed(field, 0, field.size()));
        } else {
            // Blanks only outside the quotes are dropped.
            std::string before = Trimmed(field, 0, quotedFrom);
            std::string after = Trimmed(field, quotedTo, field.size());
            record.Fields.push_back(before + field.substr(quotedFrom, quotedTo - quotedFrom) + after);
        }
        field.clear();
        quotedFrom = std::string::npos;
    };
    while (true) {
        c = Get();
        if (c == End) {
            if (inQuotes) {
                record.Unterminated = true;
                quotedTo = field.size();
            }
            finishField();
            return true;
        }
        const char ch = static_cast<char>(c);
        if (inQuotes) {
            if (ch == '"') {
                if (Peek() == '"') {
                    Get();
                    field += '"';
                } else {
                    inQuotes = false;
                    quotedTo = field.size();
                }
                continue;
            }
            if (ch == '\n' || (ch == '\r' && Peek() != '\n')) ++line_;
            if (field.size() < MaxFieldBytes) field += ch;
            continue;
        }
        if (ch == '"' && quotedFrom == std::string::npos &&
            std::all_of(field.begin(), field.end(), [](char f) { return IsBlank(f); })) {
            inQuotes = true;
            quotedFrom = field.size();
            continue;
        }
        if (ch == separator_) {
            finishField();
            continue;
        }
        if (ch == '\r' || ch == '\n') {
            if (ch == '\r' && Peek() == '\n') Get();
            ++line_;
            finishField();
            return true;
        }
        if (field.size() < MaxFieldBytes) field += ch;
    }
}

bool IsBlankRecord(const std::vector<std::string>& fields) {
    return std::all_of(fields.begin(), fields.end(), [](const std::string& field) {
        return std::all_of(field.begin(), field.end(), [](char c) { return IsBlank(c); });
    });
}

}  // namespace kestro
