// Selecting and clearing every line of a long list through the list widget,
// as "すべて選択" and the confirm runs do. Prints milliseconds per size.
// Run by hand: QT_QPA_PLATFORM=offscreen build/bin/lyric_list_selection_bench
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "document/qt/lyric_list_widget.h"
#include "recording_dialogs.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    for (int lines : {1000, 10000, 100000}) {
        obrin::Document document;
        obrin::LyricList& lyrics = document.lyrics;
        obrin::test::RecordingDialogs dialogs;
        obrin::LyricListWidget widget(document, dialogs);
        lyrics.assign(std::vector<std::string>(lines, "abc"));
        widget.show();
        QApplication::processEvents();

        QElapsedTimer timer;
        timer.start();
        lyrics.selectAll();
        QApplication::processEvents();
        const qint64 selectMs = timer.restart();
        lyrics.clearSelection();
        QApplication::processEvents();
        std::printf("%6d lines: select all %4lld ms, clear %4lld ms\n", lines,
                    static_cast<long long>(selectMs), static_cast<long long>(timer.elapsed()));
    }
    return 0;
}
