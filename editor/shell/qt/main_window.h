#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>

#include "base/command_id.h"
#include "base/signal.h"

class QLineEdit;
class QPlainTextEdit;
class QSplitter;
class QTabWidget;

namespace obrin {

class ControlPanel;
class Editor;
class LyricListWidget;
class PlayerPanel;
class WaveformStrip;

// The main window `TMainForm`: a thin view over the Editor. It lays out the
// title and artist fields, the player panel, the waveform strip, the control
// panel and the tabs with the list and the completed text. The menu bar and the commands are
// built into it from the command table (EditorWindows); every control and
// menu item carries its name as objectName.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    // Asked when the user closes the window; false keeps it open.
    using CloseRequest = std::function<bool()>;

    MainWindow(Editor& editor, CloseRequest closeRequest, QWidget* parent = nullptr);
    ~MainWindow() override;

    Editor& editor() { return editor_; }

    // The menu item of a command.
    QAction* action(CommandId command) const;
    template <typename T>
    T* widget(const char* name) const {
        return findChild<T*>(QString::fromLatin1(name));
    }

    PlayerPanel* playerPanel() const { return playerPanel_; }
    WaveformStrip* waveformStrip() const { return waveform_; }
    ControlPanel* controlPanel() const { return controlPanel_; }
    LyricListWidget* lyricList() const { return list_; }
    QLineEdit* titleField() const { return titleField_; }
    QLineEdit* artistField() const { return artistField_; }
    QPlainTextEdit* infoPane() const { return infoPane_; }
    QPlainTextEdit* completedText() const { return text_; }
    QTabWidget* pages() const { return pages_; }

    // The first display's steps, in order. Runs once, from the first show.
    void showFirstTime();
    // Shows the work folder as the caption of its menu item.
    void showWorkFolder();
    // Shows or hides the waveform strip. The other controls keep their
    // sizes: the window grows or shrinks by the strip's height.
    void setWaveformVisible(bool visible);
    // A notice (UTF-8) in the status bar until the next one.
    void showStatus(const std::string& text);

  signals:
    // The first display has read the settings and fonts; the menus show them.
    void settingsLoaded();

  protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* buildSongFields();
    QWidget* buildPages();
    void applySettings();
    void applyFonts();
    void centreOnScreen();
    // The caption with the change marker "*" in front while the document
    // holds unsaved changes.
    void showCaption();

    Editor& editor_;
    CloseRequest closeRequest_;
    QLineEdit* titleField_ = nullptr;
    QLineEdit* artistField_ = nullptr;
    PlayerPanel* playerPanel_ = nullptr;
    WaveformStrip* waveform_ = nullptr;
    ControlPanel* controlPanel_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QSplitter* splitter_ = nullptr;
    LyricListWidget* list_ = nullptr;
    QPlainTextEdit* infoPane_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    bool shown_ = false;
    // The caption as the commands set it, without the change marker.
    QString caption_;
    bool showingCaption_ = false;
    Connection modified_;
    // The control that last had the focus inside this window.
    QPointer<QWidget> lastFocus_;
};

}  // namespace obrin
