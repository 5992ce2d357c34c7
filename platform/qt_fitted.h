#pragma once
// Panel controls whose text shows whole in their designed box: a label or
// a button caption wraps and its font shrinks until it fits; a short text
// box shrinks its font until its longest content fits.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace platform {

class FittedLabel : public QLabel {
public:
    FittedLabel(const QString& text, QWidget* parent);
    void fit();  // for the text and size of now; a text set later fits itself
    bool fitsAtUsualSize(const QString& text) const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QString fittedFor_;
};

class FittedButton : public QPushButton {
public:
    FittedButton(const QString& text, QWidget* parent);
    void fit();

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QRect room() const;  // where the caption is drawn

    int usualPx_;
    QString fittedFor_;
};

// Fits `maxLength()` of the widest digit; a box for more text than fits at
// any readable size keeps the usual font and scrolls.
class FittedTextBox : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    void fit();
};

}  // namespace platform
