#pragma once
// A small control that fills its whole area with one colour and reports
// clicks to its dialog.

#include <QColor>
#include <QWidget>

namespace mr420 {

class ColourSwatch : public QWidget {
    Q_OBJECT
public:
    explicit ColourSwatch(QWidget* parent = nullptr);

    QColor colour() const { return colour_; }
    // Takes the colour and repaints at once, even when it is unchanged.
    void setColour(const QColor& colour);

    int paintCount() const { return paintCount_; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    QColor colour_{128, 128, 128};
    bool pressed_ = false;
    int paintCount_ = 0;
};

}  // namespace mr420
