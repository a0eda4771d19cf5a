#include "online/post_form.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/maker_server.h"

namespace braceform {
namespace {

using testing::MakerServer;
using Clock = std::chrono::steady_clock;

class PostFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Running()) << "scripts/maker-server did not start";
    ::setenv("BRACEFORM_CA_FILE", server_.Certificate().c_str(), 1);
  }
  void TearDown() override { ::unsetenv("BRACEFORM_CA_FILE"); }

  std::string Https(const char* path = "/php/feedback.php") const {
    return "https://" + server_.HttpsHost() + path;
  }
  std::string Http(const char* path = "/php/feedback.php") const {
    return "http://" + server_.HttpHost() + path;
  }

  MakerServer server_;
};

TEST(FormEncoding, SplitsAtTheFirstEqualsSignAndEncodesBothHalves) {
  EXPECT_EQ(EncodeForm({"cmd=check", "a=b=c&d", "text=line 1\r\nline 2",
                        "e-mail=", "\xC3\xA9=\xE2\x82\xAC"}),
            "cmd=check&a=b%3Dc%26d&text=line%201%0D%0Aline%202&e-mail=&%C3%A9=%E2%82%AC");
  EXPECT_EQ(EncodeForm({}), "");
}

TEST_F(PostFormTest, FieldsArriveIntactAndInOrderOverBothSchemes) {
  const std::vector<std::string> fields{"cmd=feedback", "feedback=I like it!\rA=B & C",
                                        "email=a@b.example"};
  EXPECT_EQ(PostForm(Https(), fields, 5000), "OK");
  EXPECT_EQ(PostForm(Http(), fields, 5000), "OK");
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  for (const std::string& r : requests) {
    EXPECT_NE(r.find(R"("fields": [["cmd", "feedback"], ["feedback", "I like it!\rA=B & C"], )"
                     R"(["email", "a@b.example"]])"),
              std::string::npos)
        << r;
    EXPECT_NE(r.find(R"("connection": "close")"), std::string::npos) << r;
    EXPECT_NE(r.find("application/x-www-form-urlencoded"), std::string::npos) << r;
  }
  EXPECT_NE(requests[0].find(R"("scheme": "https")"), std::string::npos);
  EXPECT_NE(requests[1].find(R"("scheme": "http")"), std::string::npos);
}

TEST_F(PostFormTest, SchemeInCapitalsTakesTheSecurePath) {
  server_.Configure(R"({"status": 500, "feedback_reply": "OK"})");
  // The secure policy returns the body of an error status; the plain one would raise.
  EXPECT_EQ(PostForm("HTTPS://" + server_.HttpsHost() + "/php/feedback.php", {"a=b"}, 5000), "OK");
}

TEST_F(PostFormTest, ErrorStatusIsTextOverHttpsAndAnErrorOverHttp) {
  server_.Configure(R"({"status": 500})");
  EXPECT_EQ(PostForm(Https(), {"a=b"}, 5000), "OK");
  EXPECT_THROW(PostForm(Http(), {"a=b"}, 5000), HttpError);
}

TEST_F(PostFormTest, FailuresRaiseErrors) {
  struct Case {
    const char* config;
    const char* what;
  } cases[] = {
      {R"({"close": true})", "connection closed without a reply"},
      {R"({"huge": true})", "a reply of 2 MiB"},
  };
  for (const Case& c : cases) {
    server_.Configure(c.config);
    EXPECT_THROW(PostForm(Https(), {"a=b"}, 5000), HttpError) << c.what;
    EXPECT_THROW(PostForm(Http(), {"a=b"}, 5000), HttpError) << c.what;
  }
  ::unsetenv("BRACEFORM_CA_FILE");  // a certificate no one vouches for
  EXPECT_THROW(PostForm(Https(), {"a=b"}, 5000), HttpError);
  EXPECT_THROW(PostForm("http://127.0.0.1:1/php/check2.php", {"a=b"}, 5000), HttpError);
}

TEST_F(PostFormTest, ReplyIsDecodedByItsDeclaredCharacterSet) {
  server_.Configure(R"({"charset": "iso-8859-1", "feedback_reply": "caf\u00e9"})");
  EXPECT_EQ(PostForm(Http(), {"a=b"}, 5000), "caf\xC3\xA9");
  server_.Configure(R"({"charset": "", "feedback_reply": "caf\u00e9"})");
  EXPECT_EQ(PostForm(Http(), {"a=b"}, 5000), "caf\xC3\xA9");
}

TEST_F(PostFormTest, SilentServerEndsWithinItsTimeOutAndCancelEndsAtOnce) {
  server_.Configure(R"({"delay": 4})");
  Clock::time_point start = Clock::now();
  EXPECT_THROW(PostForm(Http(), {"a=b"}, 1000), HttpError);
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  EXPECT_GE(seconds, 0.9);
  EXPECT_LT(seconds, 2.0);

  std::atomic<bool> cancel{false};
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    cancel = true;
  });
  start = Clock::now();
  EXPECT_THROW(PostForm(Https(), {"a=b"}, 10000, &cancel), HttpError);
  seconds = std::chrono::duration<double>(Clock::now() - start).count();
  stopper.join();
  EXPECT_LT(seconds, 1.5);
}

TEST_F(PostFormTest, SecureFirstFallsBackToPlain) {
  bool secureFailed = false;
  EXPECT_EQ(PostSecureFirst(server_.HttpHost() + "/php/feedback.php", {"a=b"}, 5000, nullptr,
                            &secureFailed),
            "OK");
  EXPECT_TRUE(secureFailed);
  EXPECT_EQ(PostSecureFirst(server_.HttpsHost() + "/php/feedback.php", {"a=b"}, 5000, nullptr,
                            &secureFailed),
            "OK");
  EXPECT_FALSE(secureFailed);
  EXPECT_THROW(PostSecureFirst("", {"a=b"}, 5000), HttpError);
}

TEST(ServerConfiguration, EnvironmentOverridesTheBuild) {
  ::setenv("BRACEFORM_SERVER", "127.0.0.1:8123", 1);
  EXPECT_EQ(UpdateEndpoint(), "127.0.0.1:8123/php/check2.php");
  EXPECT_EQ(FeedbackEndpoint(), "127.0.0.1:8123/php/feedback.php");
  ::setenv("BRACEFORM_SERVER", "", 1);
  EXPECT_EQ(UpdateEndpoint(), "");
  ::unsetenv("BRACEFORM_SERVER");
}

}  // namespace
}  // namespace braceform
