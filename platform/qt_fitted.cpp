#include "qt_fitted.h"

#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QStylePainter>

namespace platform {
namespace {

constexpr int kSmallestPx = 7;  // below this no text is readable
constexpr int kLabelPx = 13;

// The largest font from `largestPx` down at which `text`, wrapped at word
// boundaries with `flags`, shows whole inside `box`; the smallest if none does.
QFont fittedFont(QFont font, int largestPx, const QString& text, const QRect& box, int flags)
{
    for (int px = largestPx; px >= kSmallestPx; --px) {
        font.setPixelSize(px);
        const QRect need = QFontMetrics(font).boundingRect(box, flags | Qt::TextWordWrap, text);
        if (need.width() <= box.width() && need.height() <= box.height())
            break;
    }
    return font;
}

}  // namespace

FittedLabel::FittedLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void FittedLabel::fit()
{
    fittedFor_ = text();
    const QFont f = fittedFont(font(), kLabelPx, text(), contentsRect(), int(alignment()));
    if (f != font())
        setFont(f);
}

bool FittedLabel::fitsAtUsualSize(const QString& text) const
{
    QFont f = font();
    f.setPixelSize(kLabelPx);
    const QRect box = contentsRect();
    const QRect need = QFontMetrics(f).boundingRect(box, int(alignment()) | Qt::TextWordWrap, text);
    return need.width() <= box.width() && need.height() <= box.height();
}

void FittedLabel::paintEvent(QPaintEvent* e)
{
    if (text() != fittedFor_)
        fit();
    QLabel::paintEvent(e);
}

FittedButton::FittedButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent), usualPx_(QFontInfo(font()).pixelSize())
{
}

void FittedButton::fit()
{
    fittedFor_ = text();
    const QFont f = fittedFont(font(), usualPx_, text(), room(), Qt::AlignCenter);
    if (f != font())
        setFont(f);
}

// Qt's own button draws its caption on one line, cut at both ends when too
// long: draw the bevel bare and the caption wrapped.
void FittedButton::paintEvent(QPaintEvent*)
{
    if (text() != fittedFor_)
        fit();
    QStylePainter p(this);
    QStyleOptionButton opt;
    initStyleOption(&opt);
    opt.text.clear();
    p.drawControl(QStyle::CE_PushButton, opt);
    style()->drawItemText(&p, room(), Qt::AlignCenter | Qt::TextWordWrap, palette(), isEnabled(), text(),
                          QPalette::ButtonText);
}

QRect FittedButton::room() const
{
    QStyleOptionButton opt;
    initStyleOption(&opt);
    return style()->subElementRect(QStyle::SE_PushButtonContents, &opt, this);
}

void FittedTextBox::fit()
{
    const QString widest(maxLength(), QLatin1Char('0'));
    QStyleOptionFrame opt;
    initStyleOption(&opt);
    const QRect r = style()->subElementRect(QStyle::SE_LineEditContents, &opt, this).marginsRemoved(textMargins());
    QFont f = font();
    for (int px = QFontInfo(f).pixelSize(); px >= kSmallestPx; --px) {
        f.setPixelSize(px);
        const QFontMetrics fm(f);
        // Qt keeps 2 pixels clear on either side, and one more for the cursor.
        if (fm.horizontalAdvance(widest) + 6 <= r.width() && fm.height() <= r.height()) {
            setFont(f);
            return;
        }
    }
}

}  // namespace platform
