// The window's half of the clipboard commands: the system clipboard (cp932 text with the Japanese locale and
// the same text in UTF-16; either read back as cp932) and the settings page's paste option, for the decisions
// of ClipboardRows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "formats/clipboard_rows.h"

namespace twk::ui {

class ClipboardCommands final : private Clipboard {
  public:
    // `sortPasted` reads the live option; `pages` gives the rows of the page shown.
    ClipboardCommands(RowPages& pages, std::function<bool()> sortPasted)
        : sortPasted_(std::move(sortPasted)), logic_(pages, *this) {}
    ClipboardCommands(const ClipboardCommands&) = delete;
    ClipboardCommands& operator=(const ClipboardCommands&) = delete;
    // The main window, once it exists: the clipboard's owner.
    void setWindow(HWND window) { window_ = window; }

    ClipboardRows& logic() { return logic_; }

  private:
    bool put(const char* text, std::size_t length) override;
    bool read(std::string& text) override;
    bool sortPasted() const override { return sortPasted_ && sortPasted_(); }

    std::function<bool()> sortPasted_;
    ClipboardRows logic_;
    HWND window_ = nullptr;
};

}  // namespace twk::ui
