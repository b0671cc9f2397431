#pragma once

#include <QString>
#include <functional>

#include "base/dialogs.h"

class QFileDialog;
class QWidget;

namespace obrin {

// The editor's message boxes and common dialogs as Qt windows, all modal to
// the window given at construction (the main window). The open and save
// dialogs start in the current song's folder, or else in the folder the user
// last chose a file in; a path in the request names its own folder.
class QtDialogs final : public Dialogs {
  public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void showError(const std::string& message) override;
    bool confirm(const std::string& message) override;
    void showInformation(const std::string& message) override;
    std::optional<int> choose(const std::string& message,
                              const std::vector<std::string>& answers) override;
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
    std::optional<std::string> chooseFolder(const std::string& startFolder) override;
    std::optional<FontChoice> chooseFont(const FontChoice& current) override;
    std::optional<std::string> inputText(const std::string& caption, const std::string& prompt,
                                         const std::string& initial) override;
    // Qt's own file dialog, with the choice as a list below the file type.
    std::optional<ChosenFile> openFileWithChoice(const FileDialogRequest& request,
                                                 const DialogChoice& choice) override;
    std::optional<std::vector<int>> chooseOptions(
        const std::string& caption, const std::vector<DialogChoice>& choices) override;

    // The folder of the song in the player; empty while none is loaded.
    std::function<std::string()> songFolder;

  private:
    void prepare(QFileDialog& dialog, const FileDialogRequest& request) const;
    std::optional<std::string> run(QFileDialog& dialog);

    QWidget* parent_;
    QString lastFolder_;
};

// "説明|*.txt;*.lrc|..." as the editor writes filters, in Qt's form
// "説明 (*.txt *.lrc);;...".
QString QtNameFilters(const std::string& filter);

}  // namespace obrin
