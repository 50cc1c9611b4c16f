// The join check's key set: membership of short and long keys, byte for
// byte, across its growth.
#include "cli/key_set.h"

#include <gtest/gtest.h>

#include <string>

namespace dt::cli {
namespace {

TEST(KeySetTest, HoldsExactlyTheKeysInsertedWhateverTheirLength) {
  KeySet keys;
  const std::string long_key(8, 'x');    // just too long to sit in a slot
  const std::string inline_key(7, 'y');  // just short enough
  for (const std::string& key :
       {std::string(""), std::string("101"), std::string("a\0b", 3), inline_key, long_key}) {
    keys.Insert(key);
  }
  keys.Insert("101");
  EXPECT_EQ(keys.size(), 5u);
  for (const std::string& key :
       {std::string(""), std::string("101"), std::string("a\0b", 3), inline_key, long_key}) {
    EXPECT_TRUE(keys.Contains(key)) << key;
  }
  for (const std::string& key :
       {std::string("10"), std::string("1010"), std::string("a"), std::string("a\0c", 3),
        std::string(6, 'y'), std::string(8, 'y'), std::string(7, 'x'), long_key + "x"}) {
    EXPECT_FALSE(keys.Contains(key)) << key;
  }
  EXPECT_FALSE(KeySet().Contains("101"));
}

TEST(KeySetTest, ManyKeysStayFoundAsTheTableGrows) {
  KeySet keys;
  for (int i = 0; i < 100000; i += 2) keys.Insert(std::to_string(i) + ".01");
  EXPECT_EQ(keys.size(), 50000u);
  int found = 0;
  for (int i = 0; i < 100000; ++i) found += keys.Contains(std::to_string(i) + ".01") ? 1 : 0;
  EXPECT_EQ(found, 50000);
  EXPECT_TRUE(keys.Contains("99998.01"));
  EXPECT_FALSE(keys.Contains("99999.01"));
}

}  // namespace
}  // namespace dt::cli
