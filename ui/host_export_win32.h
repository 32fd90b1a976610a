// The selected rows handed back to the host: appended to its download list (the settings page's path) or to
// the ignore file beside it, skipping rows whose hash the file already has; the host reloads the file when
// the settings page asks for that.
#pragma once

#include <functional>

namespace twk {
class RowPages;
}

namespace twk::ui {

class HostBridge;
class SettingsPage;

class HostExport {
  public:
    HostExport(RowPages& pages, HostBridge& host, std::function<SettingsPage*()> settings)
        : pages_(pages), host_(host), settings_(std::move(settings)) {}

    void addToDownList() { exportRows(false); }
    void addToIgnoreFile() { exportRows(true); }

  private:
    void exportRows(bool ignoreFile);

    RowPages& pages_;
    HostBridge& host_;
    std::function<SettingsPage*()> settings_;
};

}  // namespace twk::ui
