#include "gui/app/qt_settings_store.h"

#include "render/qt_convert.h"

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QStringLiteral("tamarisk"), QStringLiteral("Sonvue"))) {}

QtSettingsStore::QtSettingsStore(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

std::optional<std::string> QtSettingsStore::Read(const std::string& name) const {
  QString key = QStringLiteral("Defaults/") + FromUtf8(name);
  if (!settings_->contains(key)) return std::nullopt;
  return ToUtf8(settings_->value(key).toString());
}

void QtSettingsStore::WriteInt(const std::string& name, int64_t value) {
  settings_->setValue(QStringLiteral("Defaults/") + FromUtf8(name), static_cast<qlonglong>(value));
}

void QtSettingsStore::WriteText(const std::string& name, const std::string& value) {
  settings_->setValue(QStringLiteral("Defaults/") + FromUtf8(name), FromUtf8(value));
}
