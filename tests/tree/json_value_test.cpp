#include "tree/json_value.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <utility>
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
      {R"({"a_":1,"A_":2,"[":3,"{":4})", R"({"A_":2,"[":3,"{":4})"},           // only a-z fold
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

// Random objects, nested and with names repeated in all letter cases: the index must give
// exactly what a plain list with a linear search gives, level by level.
class RandomObjects {
 public:
  explicit RandomObjects(unsigned seed) : rng_(seed) {}

  // The object's text and the compact text expected back.
  std::pair<std::string, std::string> Object(int depth) {
    static const char* stems[] = {"a", "A", "ab", "Ab", "aB", "AB", "x_", "X_", "\xC3\xA9"};
    const int members = static_cast<int>(rng_() % (depth == 0 ? 400 : 40));
    const int distinct = 1 + static_cast<int>(rng_() % 60);
    std::vector<std::pair<std::string, std::string>> expected;
    std::string json = "{";
    for (int i = 0; i < members; ++i) {
      const std::string name =
          std::string(stems[rng_() % 9]) + std::to_string(rng_() % static_cast<unsigned>(distinct));
      std::string text = std::to_string(i), want = text;
      if (depth < 3 && rng_() % 6 == 0) std::tie(text, want) = Object(depth + 1);
      json += (i ? ",\"" : "\"") + name + "\":" + text;
      for (auto it = expected.begin(); it != expected.end(); ++it)
        if (SameName(it->first, name)) {
          expected.erase(it);
          break;
        }
      expected.emplace_back(name, want);
    }
    std::string want = "{";
    for (const auto& [name, value] : expected)
      want += (want.size() > 1 ? ",\"" : "\"") + name + "\":" + value;
    return {json + "}", want + "}"};
  }

 private:
  std::mt19937 rng_;
};

TEST(JSONValue, IndexedBuildingMatchesLinearReplaceThenAppend) {
  RandomObjects gen(7);
  for (int round = 0; round < 40; ++round) {
    const auto [json, expected] = gen.Object(0);
    ASSERT_EQ(Compact(json), expected) << json;
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
