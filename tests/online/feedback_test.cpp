#include "online/feedback.h"

#include <gtest/gtest.h>

namespace braceform {
namespace {

TEST(Feedback, EmailRule) {
  struct Case {
    const char* address;
    bool valid;
  } cases[] = {
      {"anna@example.com", true},
      {"a.b+c_d-e@sub-domain.example.org", true},
      {"a@b.c", true},
      {"anna@localhost", false},
      {"anna@example.com.", false},
      {"anna@@example.com", false},
      {"@example.com", false},
      {"anna@.com", false},
      {"ann a@example.com", false},
      {"anna@example.com\n", false},
      {"\xC3\xA4@example.com", false},
      {"", false},
      {"anna@ex.ample-", false},
      {"anna@ex.a..b", true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsValidEmail(c.address), c.valid) << c.address;
}

TEST(Feedback, ComposedTextCarriesTheEnglishMarker) {
  EXPECT_EQ(ComposeFeedback(FeedbackMark::like, "I like it!", "I dislike it!", "Nice"),
            "I like it!\rNice");
  EXPECT_EQ(ComposeFeedback(FeedbackMark::dislike, "I like it!", "I dislike it!", "Slow"),
            "I dislike it!\rSlow");
  EXPECT_EQ(ComposeFeedback(FeedbackMark::like, "Gef\xC3\xA4llt mir!", "x", "Gut"),
            "I like it! (Gef\xC3\xA4llt mir!)\rGut");
  EXPECT_EQ(ComposeFeedback(FeedbackMark::none, "a", "b", "Plain"), "Plain");
}

TEST(Feedback, FieldsAndReply) {
  EXPECT_EQ(
      FeedbackFields("T - B", "2.0", "x", ""),
      (std::vector<std::string>{"cmd=feedback", "appname=T - B", "version=2.0", "feedback=x"}));
  EXPECT_EQ(FeedbackFields("T - B", "2.0", "x", "a@b.c").back(), "email=a@b.c");
  EXPECT_TRUE(FeedbackDelivered("OK"));
  EXPECT_TRUE(FeedbackDelivered("  OK\r\n"));
  EXPECT_FALSE(FeedbackDelivered("ok"));
  EXPECT_FALSE(FeedbackDelivered("OK!"));
  EXPECT_FALSE(FeedbackDelivered(""));
  EXPECT_EQ(TrimControls(" \t\r\n a b \n"), "a b");
}

}  // namespace
}  // namespace braceform
