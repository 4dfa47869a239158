#pragma once
// Splits CSV text into records of fields: fields in double quotes may hold
// the separator, line breaks and "" for one quote; CR LF, LF and a lone CR
// end a line; blank records are skipped. A field keeps at most 1 MiB and a
// record at most 4096 fields; the rest of a line is read and dropped.
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace kestro {

struct TCsvRecord {
    std::vector<std::string> Fields;
    std::int64_t Line = 0;      // where the record starts, counted from 1
    bool Unterminated = false;  // a quote opened and never closed before the end of the text
};

class TCsvTokenizer {
public:
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

    std::streambuf& in_;
    char separator_;
    std::int64_t line_ = 1;
    std::uint64_t bytesRead_ = 0;
};

// Whether every field is empty or blanks only (a blank line, or one of
// separators alone as spreadsheets write for empty rows).
bool IsBlankRecord(const std::vector<std::string>& fields);

}  // namespace kestro
