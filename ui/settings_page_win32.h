// The settings page: its controls are the live values of the user options.
#pragma once

#include <string>

#include "settings/settings_keys.h"
#include "ui/pages_win32.h"

namespace twk::ui {

class SettingsPage final : public Page {
  public:
    explicit SettingsPage(MainWindow& main);
    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The options as the controls show them now.
    SettingsPageValues values() const;
    void show(const SettingsPageValues& values);
    bool checked(int id) const;
    std::string text(int id, int maxBytes = 259) const;
    // An edit box that holds a path, converted as paths from the system are (see fromWidePath).
    std::string path(int id, int maxBytes) const;

  private:
    void initialise();
    void browse();
    void save();
};

}  // namespace twk::ui
