// The clipboard commands over the rows of the page shown: the selected rows copied in one of the line forms
// (the BBS list's own form for the download-list copy), cut (the rows go only once the clipboard holds them),
// and list lines pasted in. The clipboard itself and the live paste option come through a Clipboard.
#pragma once

#include <cstddef>
#include <string>

#include "core/row_commands.h"

namespace twk {

class Clipboard {
  public:
    virtual ~Clipboard() = default;
    // Hands cp932 text over; false when the clipboard did not take it.
    virtual bool put(const char* text, std::size_t length) = 0;
    // The clipboard's text as cp932 bytes; false when it holds no text.
    virtual bool read(std::string& text) = 0;
    // Pasted rows are sorted into the list (the settings page's option).
    virtual bool sortPasted() const = 0;
};

class ClipboardRows {
  public:
    ClipboardRows(RowPages& pages, Clipboard& clipboard) : pages_(pages), clipboard_(clipboard) {}

    void copy();
    void copyDownload();
    void copyNames();
    void copyTrips();
    void copyHashes();
    void copyKeyInfo();
    void cut();
    void paste();

    // One copy command: the line form on file lists and on the BBS list, and its report.
    struct CopyForm {
        int form;
        int bbsForm;
        const char* report;
    };

  private:
    void copyIn(const CopyForm& form);
    // The selected rows put on the clipboard; the number of lines, or -1 when nothing was put there.
    int copySelected(int form, int bbsForm);

    RowPages& pages_;
    Clipboard& clipboard_;
};

}  // namespace twk
