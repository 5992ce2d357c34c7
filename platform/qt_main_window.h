#pragma once
// The window's top-level frame: it tells the program when it is first
// activated and asked to close, and takes one dropped file at a time.
#include <QMainWindow>

#include "host.h"

namespace platform {

class MainWindow : public QMainWindow {
public:
    MainWindow();
    EventSink* sink = nullptr;

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    // One local file at a time, and only when the program takes it.
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    bool announcedActive_ = false;
};

}  // namespace platform
