#include "online/update_check.h"

#include <gtest/gtest.h>

#include <map>

#include "online/post_form.h"
#include "support/maker_server.h"

namespace braceform {
namespace {

using testing::MakerServer;

class MapStore : public UpdateStore {
 public:
  std::optional<std::string> Read(const std::string& name) override {
    auto it = values.find(name);
    return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  void Write(const std::string& name, const std::string& value) override { values[name] = value; }
  std::map<std::string, std::string> values;
};

TEST(ExtractTagValue, OneTagFillingTheWholeLine) {
  struct Case {
    const char* line;
    const char* tag;
    const char* value;
  } cases[] = {
      {"<version>2.1</version>", "version", "2.1"},
      {"<version>2.1</version>", "VERSION", "2.1"},  // the tag is lowered, the line is not
      {"<VERSION>2.1</VERSION>", "version", ""},
      {"<version>2.1</version> ", "version", ""},
      {" <version>2.1</version>", "version", ""},
      {"<version></version>", "version", ""},
      {"<version>a<b></version>", "version", "a<b>"},
      {"<version>", "version", ""},
      {"", "version", ""},
      {"<>x</>", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ExtractTagValue(c.line, c.tag), c.value) << c.line;
}

class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Running());
    ::setenv("BRACEFORM_CA_FILE", server_.Certificate().c_str(), 1);
    input_.store = &store_;
    input_.appTitle = "TARNVEX - Braceform";
    input_.appVersion = "2.0";
    input_.os = "Debian GNU/Linux 12 (bookworm) (Version 6.1, Build 0, 64-bit Edition)";
    input_.localeName = "de-DE";
    input_.endpoint = server_.HttpsHost() + "/php/check2.php";
    input_.timeoutMs = 5000;
    input_.today = [] { return std::string("11.12.2026"); };
    input_.showAnnouncement = [this](const std::string& text) { announcements_.push_back(text); };
  }
  void TearDown() override { ::unsetenv("BRACEFORM_CA_FILE"); }

  UpdateCheckState& Run() {
    state_ = std::make_unique<UpdateCheckState>();
    CheckNow(input_, *state_);
    EXPECT_TRUE(state_->done.load());
    return *state_;
  }

  MakerServer server_;
  MapStore store_;
  UpdateCheckInput input_;
  std::vector<std::string> announcements_;
  std::unique_ptr<UpdateCheckState> state_;
};

TEST_F(UpdateCheckTest, SendsTheFieldsInOrderAndOffersANewerVersion) {
  server_.Configure(R"({"version": "2.1", "url": "https://dl.example/b.deb", "important": "Hi"})");
  UpdateCheckState& s = Run();
  EXPECT_TRUE(s.available);
  EXPECT_EQ(s.serverVersion, "2.1");
  EXPECT_EQ(s.downloadURL, "https://dl.example/b.deb");
  EXPECT_EQ(announcements_, std::vector<std::string>{"Hi"});
  EXPECT_EQ(store_.values["CurrentVersion"], "2.1");
  EXPECT_EQ(store_.values["LastUpdateCheck"], "11.12.2026");
  EXPECT_EQ(store_.values["LastUpdateCheckCount"], "1");
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_NE(requests[0].find(R"("fields": [["cmd", "check"], ["appname", "TARNVEX - Braceform"], )"
                             R"(["version", "2.0"], ["os", "Debian GNU/Linux 12 (bookworm) )"
                             R"x((Version 6.1, Build 0, 64-bit Edition)"], ["local", "de-DE"]])x"),
            std::string::npos)
      << requests[0];
}

// The day's throttle and the offer rules, one start each.
TEST_F(UpdateCheckTest, ThrottleAndOfferRules) {
  struct Case {
    const char* name;
    const char* last;  // stored LastUpdateCheck, null: none
    const char* count;
    const char* show;
    const char* serverVersion;
    bool requestSent;
    const char* countAfter;
    bool available;
  } cases[] = {
      {"notifications off", "11.12.2026", "2", "0", "2.1", false, "2", false},
      {"sixth start of the day", "11.12.2026", "5", "1", "2.1", false, "5", false},
      {"fourth start", "11.12.2026", "3", "1", "2.1", true, "4", false},
      {"fifth start", "11.12.2026", "4", "1", "2.1", true, "5", false},
      {"third start", "11.12.2026", "2", "1", "2.1", true, "3", true},
      {"a new date", "10.12.2026", "5", "1", "2.1", true, "1", true},
      {"first start ever", nullptr, nullptr, nullptr, "2.1", true, "1", true},
      {"the same version", nullptr, nullptr, nullptr, "2.0", true, "1", false},
      {"an older version", nullptr, nullptr, nullptr, "1.9", true, "1", true},
      {"written differently", nullptr, nullptr, nullptr, "2.00", true, "1", true},
      {"not a number", nullptr, nullptr, nullptr, "2.1 beta", true, "1", false},
      {"letters", nullptr, nullptr, nullptr, "2.1a", true, "1", false},
      {"beyond 32 bits", nullptr, nullptr, nullptr, "99999.99999", true, "1", false},
      {"an unreadable count", "11.12.2026", "many", "1", "2.1", true, "1", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    store_.values.clear();
    if (c.last) store_.values["LastUpdateCheck"] = c.last;
    if (c.count) store_.values["LastUpdateCheckCount"] = c.count;
    if (c.show) store_.values["ShowUpdate"] = c.show;
    server_.Configure(std::string(R"({"version": ")") + c.serverVersion + R"(", "important": ""})");
    const std::size_t before = server_.Requests().size();
    UpdateCheckState& s = Run();
    EXPECT_EQ(server_.Requests().size() - before, c.requestSent ? 1u : 0u);
    EXPECT_EQ(store_.values["LastUpdateCheckCount"], c.countAfter);
    EXPECT_EQ(s.available, c.available);
    EXPECT_EQ(s.showUpdateValue, c.show ? std::atoi(c.show) : 1);
  }
  EXPECT_TRUE(announcements_.empty());
}

TEST_F(UpdateCheckTest, RepliesThatOfferNothing) {
  struct Case {
    const char* name;
    const char* config;
    const char* serverVersion;
  } cases[] = {
      {"ERROR", R"({"error": true})", ""},
      {"tag in capitals", R"({"reply": "<VERSION>2.1</VERSION>\r\n<url>x</url>"})", ""},
      {"space after the tag", R"({"reply": "<version>2.1</version> \n"})", ""},
      {"announcement of spaces", R"({"version": "2.0", "important": "   "})", "2.0"},
      {"an empty reply", R"({"reply": ""})", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    store_.values.clear();
    server_.Configure(R"({"error": false, "reply": null, "version": "2.0", "important": ""})");
    server_.Configure(c.config);
    UpdateCheckState& s = Run();
    EXPECT_FALSE(s.available);
    EXPECT_EQ(s.serverVersion, c.serverVersion);
  }
  EXPECT_TRUE(announcements_.empty());
  EXPECT_EQ(store_.values.count("CurrentVersion"), 1u);  // written for the last, valid reply
}

TEST_F(UpdateCheckTest, PlainAnswerAfterAFailedSecureRequestCountsAsAReply) {
  input_.endpoint = server_.HttpHost() + "/php/check2.php";
  server_.Configure(R"({"version": "2.1", "important": "Read me"})");
  UpdateCheckState& s = Run();
  EXPECT_TRUE(s.available);
  EXPECT_EQ(announcements_, std::vector<std::string>{"Read me"});
}

TEST_F(UpdateCheckTest, SecureErrorPageIsNotRetriedOverPlainHttp) {
  server_.Configure(R"({"https_status": 404, "reply": "<html>not found</html>"})");
  UpdateCheckState& s = Run();
  EXPECT_FALSE(s.available);
  EXPECT_EQ(server_.Requests().size(), 1u);
}

TEST_F(UpdateCheckTest, WithoutServerOrStoreTheCheckFailsQuietly) {
  input_.endpoint.clear();
  server_.Configure(R"({"version": "2.1"})");
  EXPECT_FALSE(Run().available);
  EXPECT_EQ(store_.values["LastUpdateCheckCount"], "1");  // counted before sending
  input_.endpoint = server_.HttpsHost() + "/php/check2.php";
  input_.store = nullptr;  // a store that could not be opened fails the secure reply
  EXPECT_FALSE(Run().available);
  input_.endpoint = server_.HttpHost() + "/php/check2.php";
  EXPECT_TRUE(Run().available);  // ...unless the plain retry answers
}

TEST_F(UpdateCheckTest, ShowUpdateWritesOneOrZero) {
  SetShowUpdate(store_, false);
  EXPECT_EQ(store_.values["ShowUpdate"], "0");
  SetShowUpdate(store_, true);
  EXPECT_EQ(store_.values["ShowUpdate"], "1");
}

TEST(OperatingSystem, DescribedInOneLine) {
  const std::string os = OperatingSystemDescription();
  EXPECT_NE(os.find(" (Version "), std::string::npos) << os;
  EXPECT_NE(os.find(", Build "), std::string::npos) << os;
  EXPECT_NE(os.find("-bit Edition)"), std::string::npos) << os;
}

}  // namespace
}  // namespace braceform
