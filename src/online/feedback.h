#pragma once
// What the feedback dialog sends, without any window.
#include <string>
#include <vector>

namespace braceform {

// The whole text is one address by the maker's rule: letters, digits and "_.+-" before a
// single "@", then a domain with at least one dot, ending in a letter or digit.
bool IsValidEmail(const std::string& text);

// Every character up to U+0020 removed at both ends.
std::string TrimControls(const std::string& text);

enum class FeedbackMark { none, like, dislike };

// The text sent: the English marker (followed by the caption shown, in parentheses, when
// that differs) and a CR when a mark is chosen, then the message.
std::string ComposeFeedback(FeedbackMark mark, const std::string& likeCaption,
                            const std::string& dislikeCaption, const std::string& message);

// The request's fields in order; "email=" only with an address.
std::vector<std::string> FeedbackFields(const std::string& appTitle, const std::string& appVersion,
                                        const std::string& feedback, const std::string& email);

// Whether the reply says the feedback was received: "OK" once trimmed.
bool FeedbackDelivered(const std::string& reply);

}  // namespace braceform
