#include "tree/json_value.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tree/json_document.h"
#include "tree_test_util.h"

namespace braceform {
namespace {

using testing::Compact;

struct MemberCase {
  const char* input;
  const char* expected;
};

TEST(JSONValue, RepeatedNamesKeepTheLastInTheOrderOfLastOccurrence) {
  const MemberCase cases[] = {
      {R"({"a":1,"b":2,"a":3})", R"({"b":2,"a":3})"},
      {R"({"a":1,"b":2,"a":3,"c":4})", R"({"b":2,"a":3,"c":4})"},
      {R"({"Name":1,"name":2})", R"({"name":2})"},
      {R"({"A":1,"a":2})", R"({"a":2})"},
      {"{\"\xC3\xA9\":1,\"\xC3\x89\":2}", "{\"\xC3\xA9\":1,\"\xC3\x89\":2}"},  // é, É
      {R"({"a_":1,"A_":2,"[":3,"{":4})", R"({"A_":2,"[":3,"{":4})"},  // only a-z fold
      {R"([1,1,1])", R"([1,1,1])"},
  };
  for (const auto& c : cases) EXPECT_EQ(Compact(c.input), c.expected) << c.input;
}

TEST(JSONValue, AccessorsAnswerNoneOutOfRange) {
  auto doc = ParseJSONDocument(u"{\"x\":{},\"y\":[null,false],\"Key\":1}");
  const JSONValue& root = doc->Value();
  ASSERT_EQ(root.GetDataType(), dtObject);
  EXPECT_EQ(root.Count(), 3u);
  const JSONValue& empty = root.Pair(0)->Value();
  EXPECT_EQ(empty.Count(), 0u);
  EXPECT_EQ(empty.Pair(0), nullptr);
  EXPECT_EQ(root.Pair(3), nullptr);
  const JSONValue& arr = root.Get("Y")->Value();
  ASSERT_EQ(arr.GetDataType(), dtArray);
  EXPECT_EQ(arr.Get(2), nullptr);
  EXPECT_TRUE(arr.Get(0)->IsNull());
  EXPECT_EQ(arr.Get(0)->GetDataType(), dtNull);
  EXPECT_FALSE(arr.Get(1)->IsNull());
  EXPECT_EQ(arr.Get(1)->GetDataType(), dtBoolean);
  EXPECT_EQ(root.Get("kEY")->Value().AsInteger(), 1);
  EXPECT_EQ(root.Get("Ke"), nullptr);
}

// The index must give exactly what a plain list with a linear search gives.
TEST(JSONValue, IndexedBuildingMatchesLinearReplaceThenAppend) {
  std::mt19937 rng(7);
  const char* names[] = {"a", "A", "b", "B", "ab", "Ab", "aB", "AB", "c", "x_", "X_", "\xC3\xA9"};
  for (int round = 0; round < 50; ++round) {
    const int members = 1 + static_cast<int>(rng() % 400);
    const int distinct = 1 + static_cast<int>(rng() % 200);
    std::vector<std::string> pool;
    for (int i = 0; i < distinct; ++i)
      pool.push_back(std::string(names[rng() % 12]) + std::to_string(i % 97));
    std::vector<std::pair<std::string, std::int64_t>> expected;
    std::string json = "{";
    for (int i = 0; i < members; ++i) {
      const std::string& name = pool[rng() % pool.size()];
      json += (i ? ",\"" : "\"") + name + "\":" + std::to_string(i);
      for (auto it = expected.begin(); it != expected.end(); ++it)
        if (SameName(it->first, name)) {
          expected.erase(it);
          break;
        }
      expected.emplace_back(name, i);
    }
    json += "}";
    auto doc = ParseJSONDocumentUTF8(json);
    const JSONValue& obj = doc->Value();
    ASSERT_EQ(obj.Count(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(obj.Pair(i)->Name(), expected[i].first);
      EXPECT_EQ(obj.Pair(i)->Value().AsInteger(), expected[i].second);
    }
  }
}

TEST(JSONValue, NameComparisonFoldsAsciiLettersOnly) {
  EXPECT_TRUE(SameName("abcXYZ", "ABCxyz"));
  EXPECT_FALSE(SameName("a", "ab"));
  EXPECT_FALSE(SameName("\xC3\xA9", "\xC3\x89"));
  EXPECT_FALSE(SameName("@", "`"));  // neighbours of the letter ranges
  EXPECT_FALSE(SameName("[", "{"));
}

}  // namespace
}  // namespace braceform
