#include "csv/CsvTokenizer.h"

#include <algorithm>

namespace kestro {
namespace {

constexpr int End = std::char_traits<char>::eof();
// Fields past the last one kept are named in warnings by their first bytes.
constexpr std::size_t DroppedFieldsShown = 8;
constexpr std::size_t DroppedFieldShownBytes = 64;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trimmed(const std::string& text, std::size_t from, std::size_t to) {
    while (from < to && IsBlank(text[from])) ++from;
    while (to > from && IsBlank(text[to - 1])) --to;
    return text.substr(from, to - from);
}

}  // namespace

TCsvTokenizer::TCsvTokenizer(std::istream& in, char separator) : in_(*in.rdbuf()), separator_(separator) {
    const auto at = in_.pubseekoff(0, std::ios_base::cur, std::ios_base::in);
    if (at != std::streampos(std::streamoff(-1))) start_ = std::streamoff(at);
}

int TCsvTokenizer::Get() {
    const int c = in_.sbumpc();
    if (c != End) ++bytesRead_;
    return c;
}

int TCsvTokenizer::Peek() { return in_.sgetc(); }

bool TCsvTokenizer::GoBackTo(std::uint64_t offset) {
    if (start_ < 0) return false;
    const std::streampos target(start_ + static_cast<std::streamoff>(offset));
    if (in_.pubseekpos(target, std::ios_base::in) != target) return false;
    bytesRead_ = offset;
    return true;
}

bool TCsvTokenizer::Next(TCsvRecord& record) {
    while (ReadRecord(record))
        if (record.Unterminated || record.TakenBackQuoteLine != 0 || !IsBlankRecord(record.Fields)) return true;
    return false;
}

bool TCsvTokenizer::ReadRecord(TCsvRecord& record) {
    record.Fields.clear();
    record.Line = line_;
    record.Unterminated = false;
    record.TakenBackQuoteLine = 0;
    record.Cut = false;
    record.DroppedFields = 0;
    record.DroppedFieldTexts.clear();
    int c = Peek();
    if (c == End) return false;
    // Blanks around a field are dropped unless quoted; text after a closing
    // quote is kept as it stands, as lenient readers do.
    std::string field;
    bool fieldBlank = true;                      // field holds blanks only
    std::size_t quotedFrom = std::string::npos;  // field[quotedFrom, quotedTo) came from quotes
    std::size_t quotedTo = 0;
    bool inQuotes = false;
    bool quotesPlain = false;  // after a quote taken back, to the end of its line
    std::uint64_t quoteOffset = 0;
    std::int64_t quoteLine = 0;
    std::size_t recordBytes = 0;
    const auto keep = [&](char ch) {
        if (field.size() < MaxFieldBytes && recordBytes < MaxRecordBytes) {
            field += ch;
            ++recordBytes;
        } else {
            record.Cut = true;
        }
        if (!IsBlank(ch)) fieldBlank = false;
    };
    const auto finishField = [&] {
        if (record.Fields.size() >= MaxFields) {
            if (record.DroppedFields++ < static_cast<std::int64_t>(DroppedFieldsShown))
                record.DroppedFieldTexts.push_back(Trimmed(field, 0, std::min(field.size(), DroppedFieldShownBytes)));
            recordBytes -= std::min(recordBytes, field.size());
        } else if (quotedFrom == std::string::npos) {
            record.Fields.push_back(Trimmed(field, 0, field.size()));
        } else {
            // Blanks only outside the quotes are dropped.
            std::string before = Trimmed(field, 0, quotedFrom);
            std::string after = Trimmed(field, quotedTo, field.size());
            record.Fields.push_back(before + field.substr(quotedFrom, quotedTo - quotedFrom) + after);
        }
        field.clear();
        fieldBlank = true;
        quotedFrom = std::string::npos;
    };
    while (true) {
        c = Get();
        if (c == End) {
            if (inQuotes) {
                // The quote is taken back: read once more from just after it,
                // the quote a plain character. The text after it held no lone
                // quote, so the second reading closes every quote it opens.
                if (GoBackTo(quoteOffset)) {
                    inQuotes = false;
                    quotesPlain = true;
                    line_ = quoteLine;
                    record.TakenBackQuoteLine = quoteLine;
                    recordBytes -= std::min(recordBytes, field.size() - quotedFrom);
                    field.resize(quotedFrom);
                    quotedFrom = std::string::npos;
                    keep('"');
                    continue;
                }
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
                    keep('"');
                } else {
                    inQuotes = false;
                    quotedTo = field.size();
                }
                continue;
            }
            if (ch == '\n' || (ch == '\r' && Peek() != '\n')) ++line_;
            keep(ch);
            continue;
        }
        if (ch == '"' && !quotesPlain && quotedFrom == std::string::npos && fieldBlank) {
            inQuotes = true;
            quotedFrom = field.size();
            quoteOffset = bytesRead_;
            quoteLine = line_;
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
        keep(ch);
    }
}

bool IsBlankRecord(const std::vector<std::string>& fields) {
    return std::all_of(fields.begin(), fields.end(), [](const std::string& field) {
        return std::all_of(field.begin(), field.end(), [](char c) { return IsBlank(c); });
    });
}

}  // namespace kestro
