#include "ui/ProgressBox.h"

#include <cmath>

ProgressBox::ProgressBox(QWidget* parent) : QFrame(parent), m_bar(new QWidget(this))
{
    setObjectName(QStringLiteral("picProgressBar"));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    m_bar->setObjectName(QStringLiteral("boxProgressBar"));
    m_bar->setAutoFillBackground(true);
    QPalette palette = m_bar->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Highlight));
    m_bar->setPalette(palette);
    SetProgress(0, 0);
}

void ProgressBox::SetProgress(qint32 value, qint32 maximum)
{
    // The bar is as wide as the box and slides in from the left: its left edge is the part
    // still to do, on a scale of 100.
    const double remainder =
        maximum == 0 ? 100.0 : 100.0 * (static_cast<double>(maximum) - value) / maximum;
    const double left = remainder <= 100.0 ? -remainder : 0.0;
    const QRect inner = contentsRect();
    const int x = inner.left() + static_cast<int>(std::lround(left / 100.0 * inner.width()));
    m_bar->setGeometry(x, inner.top(), inner.width(), inner.height());
    repaint();
}
