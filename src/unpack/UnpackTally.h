#pragma once
// What an unpacking could not carry into the folder, counted by kind.
#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace kestro {

struct TGpiOther;
class TGpiRecords;

class TUnpackTally {
public:
    void Add(const std::string& kind, std::size_t count = 1) {
        if (count > 0) counts_[kind] += count;
    }
    // Names a point whose alert could not be rebuilt.
    void AddAlertPoint(const std::string& where) { alertPoints_.push_back(where); }

    bool Empty() const { return counts_.empty(); }
    const std::map<std::string, std::size_t>& Counts() const { return counts_; }
    const std::vector<std::string>& AlertPoints() const { return alertPoints_; }

private:
    std::map<std::string, std::size_t> counts_;
    std::vector<std::string> alertPoints_;
};

// Counts records of types kestro does not write there, by type: "media records in groups".
void CountRecords(const std::vector<TGpiOther>& records, const char* where, TUnpackTally& tally);
void CountRecords(const TGpiRecords& records, const char* where, TUnpackTally& tally);

}  // namespace kestro
