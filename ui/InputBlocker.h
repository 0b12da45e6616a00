#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// Lets an area of a window keep its look while it takes no input. A disabled widget turns grey;
// a busy window's controls only stop answering, so their contents stay readable.
class InputBlocker : public QObject
{
public:
    explicit InputBlocker(QWidget* area);
    ~InputBlocker() override;

    void SetBlocking(bool blocking);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_area;
    bool m_blocking = false;
};
