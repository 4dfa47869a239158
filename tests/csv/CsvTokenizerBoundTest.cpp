#include <gtest/gtest.h>

#include <sstream>

#include "csv/CsvTokenizer.h"

namespace kestro {
namespace {

// A record keeps at most 4096 fields: 4095 and 4096 whole, from 4097 on the
// rest of the line is dropped and the next line reads as its own.
TEST(CsvTokenizer, FieldsUpToTheBound) {
    for (const std::size_t count : {4095u, 4096u, 4097u}) {
        std::string line;
        for (std::size_t i = 1; i <= count; ++i) line += (i == 1 ? "" : ",") + std::to_string(i);
        std::istringstream in(line + "\nnext,line\n");
        TCsvTokenizer tokenizer(in, ',');
        TCsvRecord record;
        ASSERT_TRUE(tokenizer.Next(record));
        ASSERT_EQ(record.Fields.size(), std::min<std::size_t>(count, 4096)) << count;
        EXPECT_EQ(record.Fields.back(), std::to_string(std::min<std::size_t>(count, 4096)));
        ASSERT_TRUE(tokenizer.Next(record));
        EXPECT_EQ(record.Fields, (std::vector<std::string>{"next", "line"}));
    }
}

}  // namespace
}  // namespace kestro
