#pragma once
// The one request the program makes: a short form posted to the maker's server, a short
// text back. Blocks the calling thread; each call has its own connection.
#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

namespace braceform {

// No usable reply. what() is the client's message.
class HttpError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A reply larger than this is refused: the server's answers are a few lines.
inline constexpr std::size_t kMaxReplyBytes = 1 << 20;

// "name=value" lines as an HTML form: each line split at its first "=", both halves
// URL-encoded, the pairs joined with "&" in order.
std::string EncodeForm(const std::vector<std::string>& fields);

// Posts `fields` to `url` and returns the reply's body as UTF-8, decoded by the character
// set the reply declares (UTF-8 when none). https: the body of any status is returned;
// any other scheme: a status other than 2xx is an error. `timeoutMs` bounds the connection
// and, separately, the wait for the reply. A set `cancel` ends the request early. Throws
// HttpError.
std::string PostForm(const std::string& url, const std::vector<std::string>& fields, int timeoutMs,
                     const std::atomic<bool>* cancel = nullptr);

// Secure first, plain second: "https://" + endpoint, and when that fails "http://" +
// endpoint. `secureFailed` (when given) tells whether the first request failed. Throws
// HttpError when both fail.
std::string PostSecureFirst(const std::string& endpoint, const std::vector<std::string>& fields,
                            int timeoutMs, const std::atomic<bool>* cancel = nullptr,
                            bool* secureFailed = nullptr);

// The maker's server, host[:port]: the environment variable BRACEFORM_SERVER when set,
// else the build's. Empty: nothing is to be sent.
std::string ServerHost();
// Empty when no server is configured.
std::string UpdateEndpoint();
std::string FeedbackEndpoint();

}  // namespace braceform
