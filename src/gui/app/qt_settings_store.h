#pragma once
// The application's settings between runs: QSettings("tamarisk", "Sonvue"), group
// "Defaults" (~/.config/tamarisk/Sonvue.conf).
#include <QSettings>

#include <memory>

#include "core/doc/settings_store.h"

class QtSettingsStore : public SettingsStore {
 public:
  QtSettingsStore();
  // A store over a given file (tests).
  explicit QtSettingsStore(const QString& iniPath);

  std::optional<std::string> Read(const std::string& name) const override;
  void WriteInt(const std::string& name, int64_t value) override;
  void WriteText(const std::string& name, const std::string& value) override;
  void Sync() { settings_->sync(); }
  QSettings& Settings() { return *settings_; }

 private:
  std::unique_ptr<QSettings> settings_;
};
