#include "unpack/UnpackTally.h"

#include "diag/Exceptions.h"
#include "gpi/GpiReader.h"

namespace kestro {

namespace {

template <class TList>
void CountEach(const TList& records, const char* where, TUnpackTally& tally) {
    for (const auto& other : records) {
        const char* kind = GpiRecordName(other.Type);
        tally.Add(*kind != '\0' ? Format("%s records %s", kind, where) : Format("records of type %u %s", other.Type, where));
    }
}

}  // namespace

void CountRecords(const std::vector<TGpiOther>& records, const char* where, TUnpackTally& tally) {
    CountEach(records, where, tally);
}

void CountRecords(const TGpiRecords& records, const char* where, TUnpackTally& tally) { CountEach(records, where, tally); }

}  // namespace kestro
