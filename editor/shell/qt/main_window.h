#pragma once

#include <QMainWindow>
#include <QPointer>

class QLineEdit;
class QPlainTextEdit;
class QSplitter;
class QTabWidget;
class QKeyEvent;

namespace obrin {

class ControlPanel;
class Editor;
class LyricListWidget;
class PlayerPanel;

// The main window `TMainForm`: a thin view over the Editor. It lays out the
// title and artist fields, the player panel, the control panel and the tabs
// with the list and the completed text, and carries the whole menu bar.
//
// Other parts of the editor attach their commands to the controls by name:
//   window.action("Open1"), window.widget<QPushButton>("Button2"), ...
// (objectName + findChild; every control and menu item carries its name).
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(Editor& editor, QWidget* parent = nullptr);
    ~MainWindow() override;

    Editor& editor() { return editor_; }

    QAction* action(const char* name) const;
    template <typename T>
    T* widget(const char* name) const {
        return findChild<T*>(QString::fromLatin1(name));
    }

    PlayerPanel* playerPanel() const { return playerPanel_; }
    ControlPanel* controlPanel() const { return controlPanel_; }
    LyricListWidget* lyricList() const { return list_; }
    QLineEdit* titleField() const { return edtTitle_; }
    QLineEdit* artistField() const { return edtArtist_; }
    QPlainTextEdit* infoPane() const { return memo_; }
    QPlainTextEdit* completedText() const { return text_; }
    QTabWidget* pageControl() const { return pageControl_; }

    // The first display's steps, in order. Runs once, from the first show.
    void formShow();

  protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* buildSongFields();
    QWidget* buildPages();
    void connectOptionItems();
    void applySettingsToMenu();
    void showWorkFolder();
    void applyFonts();
    void connectShellCommands();
    // The assigned keys, seen before the control with the focus sees them;
    // true when the key triggered a command.
    bool dispatchAssignedKey(const QKeyEvent& event);
    void centreOnScreen();

    Editor& editor_;
    QLineEdit* edtTitle_ = nullptr;
    QLineEdit* edtArtist_ = nullptr;
    PlayerPanel* playerPanel_ = nullptr;
    ControlPanel* controlPanel_ = nullptr;
    QTabWidget* pageControl_ = nullptr;
    QSplitter* splitter_ = nullptr;
    LyricListWidget* list_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    bool shown_ = false;
    // The control that last had the focus inside this window.
    QPointer<QWidget> lastFocus_;
};

}  // namespace obrin
