#pragma once

#include <QString>

#include "base/dialogs.h"

class QWidget;

namespace obrin {

// The editor's message boxes and common dialogs as Qt windows, all modal to
// the window given at construction (the main window).
class QtDialogs final : public Dialogs {
  public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void showError(const std::string& message) override;
    bool confirm(const std::string& message) override;
    void showInformation(const std::string& message) override;
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
    std::optional<std::string> chooseFolder(const std::string& startFolder) override;
    std::optional<FontChoice> chooseFont(const FontChoice& current) override;
    std::optional<std::string> inputText(const std::string& caption, const std::string& prompt,
                                         const std::string& initial) override;

  private:
    QWidget* parent_;
};

// "説明|*.txt;*.lrc|..." as the editor writes filters, in Qt's form
// "説明 (*.txt *.lrc);;...".
QString QtNameFilters(const std::string& filter);

}  // namespace obrin
