// The main window's three-part status bar, and the reporter that shows the program's reports in it.
#pragma once

#include <windows.h>

#include <string>

#include "core/report.h"
#include "ui/handles_win32.h"

namespace twk::ui {

class StatusBar {
  public:
    // The control paints itself on every text it is given: a command that shows its counts and then its
    // message would paint it twice. While a Hold lasts the texts set are kept from the screen and painted
    // together, at once, when it ends. Only for short work that opens no window: the control is kept from
    // drawing meanwhile.
    class Hold {
      public:
        explicit Hold(StatusBar& bar);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

      private:
        StatusBar& bar_;
        bool held_ = false;
    };

    // Creates the control (an existing one is destroyed first), divides it into parts and shows it.
    int create(HWND parent, int controlId, int partCount, const int* rightEdges);
    // The parts' right edges (-1: the bar's right end).
    void setParts(int partCount, const int* rightEdges);
    void setText(int part, const char* text);
    std::string text(int part) const;  // cp932
    void resize(WPARAM wParam, LPARAM lParam);
    RECT windowRect() const;
    int height() const;
    void destroy() { window_.reset(); }
    HWND hwnd() const { return window_.get(); }

  private:
    OwnedWindow window_;
    bool held_ = false;
    unsigned changed_ = 0;  // the parts given a text while held, one bit each
};

// Reports go to the status bar; error boxes are owned by the main window (or by nobody during start-up).
class StatusReporter final : public Reporter {
  public:
    StatusReporter(StatusBar& bar, HWND owner) : bar_(bar), owner_(owner) {}
    void setStatusText(int part, const char* text) override { bar_.setText(part, text); }
    void showErrorBox(const char* text, bool ownerless) override;

  private:
    StatusBar& bar_;
    HWND owner_;
};

// The caption of the error box.
extern const char* const kErrorBoxCaption;  // "Debug Message"

}  // namespace twk::ui
