#include "online/post_form.h"

#include <curl/curl.h>
#include <iconv.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "text/unicode.h"
#include "text/utf.h"
#include "version/version_record.h"

namespace braceform {

namespace {

using Clock = std::chrono::steady_clock;

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string UrlEncode(std::string_view s) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(s.size() * 3);
  for (unsigned char c : s) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '_' || c == '.' || c == '~') {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

bool StartsWithHttps(const std::string& url) {
  static constexpr std::string_view kScheme = "https://";
  if (url.size() < kScheme.size()) return false;
  for (std::size_t i = 0; i < kScheme.size(); ++i) {
    if (text::LowerAscii(url[i]) != kScheme[i]) return false;
  }
  return true;
}

struct Transfer {
  std::string body;
  bool tooLarge = false;
  int timeoutMs = 0;
  const std::atomic<bool>* cancel = nullptr;
  curl_off_t lastBytes = -1;
  Clock::time_point lastChange = Clock::now();
  bool stalled = false;
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const std::size_t n = size * count;
  if (t->body.size() + n > kMaxReplyBytes) {
    t->tooLarge = true;
    return 0;  // ends the transfer
  }
  t->body.append(data, n);
  return n;
}

// The wait for the reply: no byte in either direction for the time-out ends the request.
int OnProgress(void* user, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t ulTotal,
               curl_off_t ulNow) {
  (void)dlTotal;
  (void)ulTotal;
  auto* t = static_cast<Transfer*>(user);
  if (t->cancel && t->cancel->load(std::memory_order_relaxed)) return 1;
  const Clock::time_point now = Clock::now();
  if (dlNow + ulNow != t->lastBytes) {
    t->lastBytes = dlNow + ulNow;
    t->lastChange = now;
  } else if (now - t->lastChange > std::chrono::milliseconds(t->timeoutMs)) {
    t->stalled = true;
    return 1;
  }
  return 0;
}

// The charset parameter of a Content-Type value; empty when there is none.
std::string CharsetOf(const char* contentType) {
  if (!contentType) return {};
  std::string lower = contentType;
  for (char& c : lower) c = text::LowerAscii(c);
  const std::size_t at = lower.find("charset=");
  if (at == std::string::npos) return {};
  std::string value = lower.substr(at + 8);
  value = value.substr(0, value.find_first_of("; \t"));
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

std::string DecodeReply(std::string body, const std::string& charset) {
  if (charset.empty() || charset == "utf-8" || charset == "utf8" || charset == "us-ascii") {
    text::SanitizeUTF8(body);
    return body;
  }
  iconv_t cd = iconv_open("UTF-8", charset.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw HttpError("The reply is in an unknown character set: " + charset);
  }
  std::string out(body.size() * 4 + 16, '\0');
  char* in = body.data();
  std::size_t inLeft = body.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (r == static_cast<std::size_t>(-1)) {
    throw HttpError("The reply could not be decoded as " + charset);
  }
  out.resize(out.size() - outLeft);
  text::SanitizeUTF8(out);
  return out;
}

struct CurlDeleter {
  void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct SlistDeleter {
  void operator()(curl_slist* s) const { curl_slist_free_all(s); }
};

}  // namespace

std::string EncodeForm(const std::vector<std::string>& fields) {
  std::string out;
  for (const std::string& line : fields) {
    if (!out.empty()) out.push_back('&');
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) {
      out += UrlEncode(line);
      out += '=';
    } else {
      out += UrlEncode(std::string_view(line).substr(0, eq));
      out += '=';
      out += UrlEncode(std::string_view(line).substr(eq + 1));
    }
  }
  return out;
}

std::string PostForm(const std::string& url, const std::vector<std::string>& fields, int timeoutMs,
                     const std::atomic<bool>* cancel) {
  GlobalInit();
  std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
  if (!curl) throw HttpError("The request could not be prepared.");
  const bool secure = StartsWithHttps(url);
  const std::string form = EncodeForm(fields);
  std::unique_ptr<curl_slist, SlistDeleter> headers(
      curl_slist_append(nullptr, "Connection: close"));
  Transfer t;
  t.timeoutMs = timeoutMs;
  t.cancel = cancel;
  char error[CURL_ERROR_SIZE] = {};
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_POST, 1L);
  curl_easy_setopt(c, CURLOPT_POSTFIELDS, form.c_str());
  curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE, static_cast<long>(form.size()));
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(c, CURLOPT_USERAGENT, "Braceform");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeoutMs));
  // A hard bound over both phases; the wait for the reply itself is watched by OnProgress.
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(2 * timeoutMs + 1000));
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, &t);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
  if (const char* ca = std::getenv("BRACEFORM_CA_FILE"); ca && *ca) {
    // One more certificate beside the system's store, not instead of it.
    curl_easy_setopt(c, CURLOPT_CAINFO, ca);
    curl_easy_setopt(c, CURLOPT_CAPATH, "/etc/ssl/certs");
  }
  const CURLcode result = curl_easy_perform(c);
  if (t.tooLarge) throw HttpError("The reply is larger than 1 MiB.");
  if (result == CURLE_ABORTED_BY_CALLBACK) {
    throw HttpError(t.stalled ? "The server did not answer in time."
                              : "The request was cancelled.");
  }
  if (result != CURLE_OK) {
    throw HttpError(error[0] ? std::string(error) : std::string(curl_easy_strerror(result)));
  }
  long status = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  if (!secure && (status < 200 || status > 299)) {
    throw HttpError("The server answered with status " + std::to_string(status) + ".");
  }
  const char* contentType = nullptr;
  curl_easy_getinfo(c, CURLINFO_CONTENT_TYPE, &contentType);
  return DecodeReply(std::move(t.body), CharsetOf(contentType));
}

std::string PostSecureFirst(const std::string& endpoint, const std::vector<std::string>& fields,
                            int timeoutMs, const std::atomic<bool>* cancel, bool* secureFailed) {
  if (secureFailed) *secureFailed = false;
  if (endpoint.empty()) throw HttpError("No server is configured.");
  try {
    return PostForm("https://" + endpoint, fields, timeoutMs, cancel);
  } catch (const HttpError&) {
    if (secureFailed) *secureFailed = true;
    if (cancel && cancel->load()) throw;
  }
  return PostForm("http://" + endpoint, fields, timeoutMs, cancel);
}

std::string ServerHost() {
  if (const char* env = std::getenv("BRACEFORM_SERVER")) return env;
  return build::kServerHost;
}

std::string UpdateEndpoint() {
  const std::string host = ServerHost();
  return host.empty() ? std::string() : host + "/php/check2.php";
}

std::string FeedbackEndpoint() {
  const std::string host = ServerHost();
  return host.empty() ? std::string() : host + "/php/feedback.php";
}

}  // namespace braceform
