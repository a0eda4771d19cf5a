#include "online/feedback.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <memory>

#include "text/lines.h"

namespace braceform {

namespace {

struct Pattern {
  pcre2_code* code = nullptr;
  Pattern() {
    static const char kPattern[] = "^[a-zA-Z0-9_.+-]+@[a-zA-Z0-9-]+\\.[a-zA-Z0-9-.]*[a-zA-Z0-9]+$";
    int error = 0;
    PCRE2_SIZE offset = 0;
    // No case folding, no UTF classes: the letters match only as the classes write them.
    code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kPattern), PCRE2_ZERO_TERMINATED,
                         PCRE2_DOLLAR_ENDONLY, &error, &offset, nullptr);
  }
  ~Pattern() { pcre2_code_free(code); }
};

}  // namespace

bool IsValidEmail(const std::string& text) {
  static const Pattern pattern;
  if (!pattern.code || text.empty()) return false;
  std::unique_ptr<pcre2_match_data, decltype(&pcre2_match_data_free)> match(
      pcre2_match_data_create_from_pattern(pattern.code, nullptr), &pcre2_match_data_free);
  const int rc = pcre2_match(pattern.code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(),
                             0, 0, match.get(), nullptr);
  return rc > 0;
}

std::string TrimControls(const std::string& text) { return std::string(text::TrimBlanks(text)); }

std::string ComposeFeedback(FeedbackMark mark, const std::string& likeCaption,
                            const std::string& dislikeCaption, const std::string& message) {
  std::string like = "I like it!";
  if (likeCaption != like) like += " (" + likeCaption + ")";
  std::string dislike = "I dislike it!";
  if (dislikeCaption != dislike) dislike += " (" + dislikeCaption + ")";
  switch (mark) {
    case FeedbackMark::like:
      return like + "\r" + message;
    case FeedbackMark::dislike:
      return dislike + "\r" + message;
    case FeedbackMark::none:
      break;
  }
  return message;
}

std::vector<std::string> FeedbackFields(const std::string& appTitle, const std::string& appVersion,
                                        const std::string& feedback, const std::string& email) {
  std::vector<std::string> fields{"cmd=feedback", "appname=" + appTitle, "version=" + appVersion,
                                  "feedback=" + feedback};
  if (!email.empty()) fields.push_back("email=" + email);
  return fields;
}

bool FeedbackDelivered(const std::string& reply) { return TrimControls(reply) == "OK"; }

}  // namespace braceform
