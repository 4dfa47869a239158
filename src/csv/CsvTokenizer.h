#pragma once
// Splits CSV text into records of fields: fields in double quotes may hold
// the separator, line breaks and "" for one quote; CR LF, LF and a lone CR
// end a line; blank records are skipped. A field keeps at most 1 MiB, a
// record at most 16 MiB in at most 4096 fields; beyond that the line is read
// to its end and the excess dropped, so memory stays bounded whatever the
// shape of the text, and the time spent is linear in its length.
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace kestro {

struct TCsvRecord {
    std::vector<std::string> Fields;
    std::int64_t Line = 0;  // where the record starts, counted from 1
    // A quote opened and never closed before the end of the text; on a
    // stream that cannot go back the record holds the rest of the text.
    bool Unterminated = false;
    // The line of a quote that never closed, read instead as a plain
    // character to the end of its line (0: none); the lines after it are
    // read again as usual.
    std::int64_t TakenBackQuoteLine = 0;
    bool Cut = false;                   // a field or the record passed its bound and lost bytes
    std::int64_t DroppedFields = 0;     // fields past the 4096th
    std::vector<std::string> DroppedFieldTexts;  // the first few of them, cut short
};

class TCsvTokenizer {
public:
    static constexpr std::size_t MaxFieldBytes = std::size_t{1} << 20;
    static constexpr std::size_t MaxRecordBytes = std::size_t{16} << 20;
    static constexpr std::size_t MaxFields = 4096;

    // `in` must outlive the tokenizer; it is read from where it stands.
    TCsvTokenizer(std::istream& in, char separator);

    // The next record that holds more than blanks; false at the end.
    bool Next(TCsvRecord& record);
    // Bytes taken from the stream so far.
    std::uint64_t BytesRead() const { return bytesRead_; }

private:
    int Get();
    int Peek();
    // Reads one record; false when the text has ended before it.
    bool ReadRecord(TCsvRecord& record);
    // Back to just after the quote at `offset`; false when the stream cannot seek.
    bool GoBackTo(std::uint64_t offset);

    std::streambuf& in_;
    char separator_;
    std::int64_t line_ = 1;
    std::uint64_t bytesRead_ = 0;
    std::streamoff start_ = -1;  // the stream's position at the start; -1: cannot seek
};

// Whether every field is empty or blanks only (a blank line, or one of
// separators alone as spreadsheets write for empty rows).
bool IsBlankRecord(const std::vector<std::string>& fields);

}  // namespace kestro
