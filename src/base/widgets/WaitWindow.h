#pragma once
// The small modal please-wait window shown while the panel carries out a write
// or an erase. It has no buttons: program logic closes it when the panel has
// acknowledged, or when the time-out fires. Timers and received bytes keep
// being handled inside its modal loop.

#include <QDialog>
#include <QString>

#include <mutex>

class QLabel;

namespace mr420 {

class WaitWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPictureX = 38, kPictureY = 7, kPictureW = 84, kPictureH = 53;  // dialog units

    // text: string 194, "Proszę czekać...".
    explicit WaitWindow(const QString& text, QWidget* parent = nullptr);
    ~WaitWindow() override;

    // Runs the window modally; returns once it has been closed.
    void show();
    // Ends the window if it is shown; safe when it is not, and when called twice.
    void close();

    bool isShown() const { return shown_; }
    int closeCount() const { return closeCount_; }  // closes that ended the window
    const QString& text() const { return text_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent*) override;  // Escape does not end it
    void closeEvent(QCloseEvent*) override;   // neither does a close request

private:
    QString text_;
    QLabel* picture_ = nullptr;
    // close() is reached from timer handlers and reply handling while the
    // modal loop runs; recursive because such a handler may run inside another.
    std::recursive_mutex closeLock_;
    bool shown_ = false;
    bool closing_ = false;
    int closeCount_ = 0;
};

}  // namespace mr420
