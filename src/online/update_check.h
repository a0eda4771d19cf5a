#pragma once
// The once-per-run check for a newer version: the logic without any window. It runs on a
// thread of its own; the window reads the results after `done` is set.
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace braceform {

// The per-user store the check keeps its values in (group "Settings"), text values.
class UpdateStore {
 public:
  virtual ~UpdateStore() = default;
  virtual std::optional<std::string> Read(const std::string& name) = 0;
  virtual void Write(const std::string& name, const std::string& value) = 0;
};

// What the check shares with the window. Everything but `done` is written before `done`
// is set (release) and read only after it was seen set (acquire).
struct UpdateCheckState {
  std::atomic<bool> done{false};
  bool available = false;
  int showUpdateValue = 1;
  std::string serverVersion;
  std::string downloadURL;
};

struct UpdateCheckInput {
  UpdateStore* store = nullptr;  // null: opening the store failed
  std::string appTitle;          // "TARNVEX - Braceform"
  std::string appVersion;        // "2.0"
  std::string os;                // OperatingSystemDescription()
  std::string localeName;        // UserLocaleName()
  std::string endpoint;          // UpdateEndpoint(); empty: nothing is sent
  int timeoutMs = 10000;
  std::function<std::string()> today;  // the current date in the user's short format
  // Shows the announcement and returns once the user has closed it.
  std::function<void(const std::string& text)> showAnnouncement;
  const std::atomic<bool>* cancel = nullptr;
};

// The value of a one-line tag: "<tag>value</tag>" with nothing around it; empty otherwise.
std::string ExtractTagValue(const std::string& line, const std::string& tag);

// The request's fields in order.
std::vector<std::string> UpdateRequestFields(const UpdateCheckInput& input);

// The whole check. Lets no error out; sets state.done last.
void CheckNow(const UpdateCheckInput& input, UpdateCheckState& state);

// "ShowUpdate" = 1 or 0.
void SetShowUpdate(UpdateStore& store, bool on);

// The system as one line: "<PRETTY_NAME> (Version 6.1, Build 0, 64-bit Edition)".
std::string OperatingSystemDescription();

}  // namespace braceform
