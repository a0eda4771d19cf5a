#include "online/update_check.h"

#include <sys/utsname.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>

#include "online/post_form.h"
#include "text/lines.h"
#include "text/unicode.h"

namespace braceform {

namespace {

std::string Line(const std::vector<std::string>& lines, std::size_t number) {
  return number <= lines.size() ? lines[number - 1] : std::string();
}

// A decimal integer (optional sign) within the signed 32-bit range.
std::optional<long long> ReadInt32(const std::string& s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  if (i == s.size()) return std::nullopt;
  for (std::size_t j = i; j < s.size(); ++j) {
    if (s[j] < '0' || s[j] > '9') return std::nullopt;
  }
  if (s.size() - i > 11) return std::nullopt;
  const long long v = std::strtoll(s.c_str(), nullptr, 10);
  if (v < INT_MIN || v > INT_MAX) return std::nullopt;
  return v;
}

int ReadInteger(UpdateStore* store, const std::string& name, int fallback) {
  if (!store) return fallback;
  try {
    const std::optional<std::string> text = store->Read(name);
    const std::optional<long long> v = text ? ReadInt32(*text) : std::nullopt;
    return v ? static_cast<int>(*v) : fallback;
  } catch (...) {
    return fallback;
  }
}

std::string ReadText(UpdateStore* store, const std::string& name) {
  if (!store) return {};
  try {
    return store->Read(name).value_or(std::string());
  } catch (...) {
    return {};
  }
}

void WriteIgnoringErrors(UpdateStore* store, const std::string& name, const std::string& value) {
  if (!store) return;
  try {
    store->Write(name, value);
  } catch (...) {
  }
}

bool IsBlank(const std::string& s) {
  for (unsigned char c : s) {
    if (c > ' ') return false;
  }
  return true;
}

bool IsWholeNumberWithoutDots(std::string version) {
  std::erase(version, '.');
  return ReadInt32(version).has_value();
}

void Check(const UpdateCheckInput& input, UpdateCheckState& state) {
  bool failed = input.store == nullptr;
  const std::string lastCheck = ReadText(input.store, "LastUpdateCheck");
  int count = ReadInteger(input.store, "LastUpdateCheckCount", 0);
  state.showUpdateValue = ReadInteger(input.store, "ShowUpdate", 1);
  if (state.showUpdateValue == 0) return;

  const std::string today = input.today();
  if (lastCheck == today && count >= 5) return;
  count = lastCheck == today ? count + 1 : 1;
  WriteIgnoringErrors(input.store, "LastUpdateCheck", today);
  WriteIgnoringErrors(input.store, "LastUpdateCheckCount", std::to_string(count));

  const std::vector<std::string> fields = UpdateRequestFields(input);
  std::string reply;
  try {
    bool secureFailed = false;
    reply = PostSecureFirst(input.endpoint, fields, input.timeoutMs, input.cancel, &secureFailed);
    if (secureFailed) failed = false;  // the plain answer clears whatever had failed
  } catch (const HttpError&) {
    failed = true;  // no server, both requests failed, or cancelled
  }
  if (reply.rfind("ERROR", 0) == 0) failed = true;
  if (failed) return;

  const std::vector<std::string> lines = text::SplitLines(reply);
  const std::string version = ExtractTagValue(Line(lines, 1), "version");
  WriteIgnoringErrors(input.store, "CurrentVersion", version);
  const std::string url = ExtractTagValue(Line(lines, 2), "url");
  const std::string announcement = ExtractTagValue(Line(lines, 6), "important");
  if (!IsBlank(announcement) && input.showAnnouncement) input.showAnnouncement(announcement);

  state.serverVersion = version;
  state.downloadURL = url;
  state.available = version != input.appVersion && IsWholeNumberWithoutDots(version) &&
                    state.showUpdateValue == 1 && (lastCheck != input.today() || count <= 3);
}

}  // namespace

std::string ExtractTagValue(const std::string& line, const std::string& tag) {
  if (line.empty() || tag.empty()) return {};
  std::string lower = tag;
  for (char& c : lower) c = text::LowerAscii(c);
  std::string open(1, '<');
  open.append(lower).push_back('>');
  std::string close("</");
  close.append(lower).push_back('>');
  if (line.size() < open.size() + close.size()) return {};
  if (line.compare(0, open.size(), open) != 0) return {};
  if (line.compare(line.size() - close.size(), close.size(), close) != 0) return {};
  return line.substr(open.size(), line.size() - open.size() - close.size());
}

std::vector<std::string> UpdateRequestFields(const UpdateCheckInput& input) {
  return {"cmd=check", "appname=" + input.appTitle, "version=" + input.appVersion, "os=" + input.os,
          "local=" + (input.localeName.empty() ? "xx" : input.localeName)};
}

void CheckNow(const UpdateCheckInput& input, UpdateCheckState& state) {
  try {
    Check(input, state);
  } catch (...) {
    // Nothing of the check may reach the user but its announcement.
  }
  state.done.store(true, std::memory_order_release);
}

void SetShowUpdate(UpdateStore& store, bool on) { store.Write("ShowUpdate", on ? "1" : "0"); }

std::string OperatingSystemDescription() {
  std::string name = "Linux";
  std::ifstream release("/etc/os-release");
  for (std::string line; std::getline(release, line);) {
    if (line.rfind("PRETTY_NAME=", 0) != 0) continue;
    name = line.substr(12);
    if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'')) {
      name = name.substr(1, name.size() - 2);
    }
    break;
  }
  std::string version = "0.0", build = "0";
  utsname u{};
  if (uname(&u) == 0) {
    // 6.1.0-18-amd64: version 6.1, build 0
    const std::string kernel = u.release;
    const std::size_t end = kernel.find_first_not_of("0123456789.");
    const std::string numbers = kernel.substr(0, end);
    const std::size_t first = numbers.find('.');
    const std::size_t second = first == std::string::npos ? first : numbers.find('.', first + 1);
    version = numbers.substr(0, second);
    if (second != std::string::npos) build = numbers.substr(second + 1);
    if (version.find('.') == std::string::npos) version += ".0";
    if (build.empty()) build = "0";
  }
  const char* bits = sizeof(void*) == 8 ? "64-bit" : "32-bit";
  return name + " (Version " + version + ", Build " + build + ", " + bits + " Edition)";
}

}  // namespace braceform
