#include "installed/product_settings.h"

#include <array>
#include <string>
#include <utility>

#include "platform/log_text.h"
#include "platform/number_text.h"
#include "platform/run_time_error.h"

namespace hdgr {

namespace {

constexpr std::string_view kPathKey = "app_path";
constexpr std::string_view kMajorKey = "app_Major";
constexpr std::string_view kMinorKey = "app_Minor";
constexpr std::string_view kRevisionKey = "app_Revision";
constexpr std::string_view kVersionDefault = "0";

std::string Read(ApplicationServices& app, std::string_view key, std::string_view default_value) {
  std::string text = app.ReadSetting(kSettingsApplication, kSettingsSection, key, default_value);
  app.Note("setting " + std::string(key) + " = " + QuotedForLog(text));
  return text;
}

// The user sees which setting holds what, not only that some text was no number.
std::int16_t ReadVersionNumber(ApplicationServices& app, std::string_view key) {
  const std::string text = Read(app, key, kVersionDefault);
  try {
    return TextToInteger(text);
  } catch (const RunTimeError& error) {
    throw RunTimeError(error.Number(), "Setting " + std::string(key) + " = \"" + text + "\"",
                       "Correct or remove the value " + std::string(key) + " under " +
                           app.SettingsPlace(kSettingsApplication, kSettingsSection) +
                           " (a whole number, such as 3), then start the setup again.");
  }
}

}  // namespace

void ReadInstalledCopy(ApplicationServices& app, InstalledCopy& installed) {
  InstalledCopy read;
  read.folder = Read(app, kPathKey, "");
  read.major = ReadVersionNumber(app, kMajorKey);
  read.minor = ReadVersionNumber(app, kMinorKey);
  read.revision = ReadVersionNumber(app, kRevisionKey);
  installed = std::move(read);
}

void RecordInstalledVersion(ApplicationServices& app) {
  const OwnVersion own = app.GetOwnVersion();
  const std::array<std::pair<std::string_view, int>, 3> entries{
      {{kMajorKey, own.major}, {kMinorKey, own.minor}, {kRevisionKey, own.revision}}};
  for (const auto& [key, number] : entries)
    app.SaveSetting(kSettingsApplication, kSettingsSection, key, IntegerToText(number));
}

}  // namespace hdgr
