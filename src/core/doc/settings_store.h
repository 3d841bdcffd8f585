#pragma once
// Where the application's settings live between runs: named values, read back as text.
// The desktop program keeps them with QSettings("tamarisk", "Sonvue") in the group
// "Defaults"; tests use the in-memory store.
#include <cstdint>
#include <map>
#include <optional>
#include <string>

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored value as text (numbers in decimal), or nothing when absent.
  virtual std::optional<std::string> Read(const std::string& name) const = 0;
  virtual void WriteInt(const std::string& name, int64_t value) = 0;
  virtual void WriteText(const std::string& name, const std::string& value) = 0;
};

class MemorySettingsStore : public SettingsStore {
 public:
  std::optional<std::string> Read(const std::string& name) const override {
    auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  void WriteInt(const std::string& name, int64_t value) override { values[name] = std::to_string(value); }
  void WriteText(const std::string& name, const std::string& value) override { values[name] = value; }

  std::map<std::string, std::string> values;
};
