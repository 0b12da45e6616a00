#pragma once

#include <QFrame>

// The main window's progress box (picProgressBar): a bordered box whose inner bar
// (boxProgressBar) fills from the left in proportion to value / maximum.
class ProgressBox : public QFrame
{
public:
    explicit ProgressBox(QWidget* parent);

    // Repaints at once. Maximum 0 shows an empty box; a value past the maximum a full one.
    void SetProgress(qint32 value, qint32 maximum);

private:
    QWidget* m_bar;
};
