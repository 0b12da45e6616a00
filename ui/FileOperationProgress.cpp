#include "ui/FileOperationProgress.h"

#include "base/Events.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr qint64 kPumpIntervalMs = 40;
constexpr int kNameWidth = 420;
constexpr int kBarSteps = 1000;

// Megabytes of 1,048,576 bytes, as the destinations' sizes are given.
QString Megabytes(const QLocale& locale, qint64 bytes)
{
    return locale.toString(static_cast<double>(bytes) / 1048576.0, 'f', 1) + QStringLiteral(" MB");
}

} // namespace

FileOperationProgress::FileOperationProgress(Kind kind, int itemCount, qint64 totalBytes,
                                             QWidget* owner)
    : QWidget(owner, Qt::Dialog), m_kind(kind), m_itemCount(itemCount), m_totalBytes(totalBytes)
{
    setObjectName(QStringLiteral("FileOperationProgress"));
    setWindowTitle(kind == Kind::Copy ? QStringLiteral("Copying files")
                                      : QStringLiteral("Deleting files"));

    m_lblFile = new QLabel(this);
    m_lblFile->setObjectName(QStringLiteral("lblFile"));
    m_lblName = new QLabel(this);
    m_lblName->setObjectName(QStringLiteral("lblName"));
    m_lblName->setFixedWidth(kNameWidth);
    m_lblBytes = new QLabel(this);
    m_lblBytes->setObjectName(QStringLiteral("lblBytes"));
    m_lblRate = new QLabel(this);
    m_lblRate->setObjectName(QStringLiteral("lblRate"));
    m_pgbProgress = new QProgressBar(this);
    m_pgbProgress->setObjectName(QStringLiteral("pgbProgress"));
    m_pgbProgress->setRange(0, kBarSteps);
    m_pgbProgress->setTextVisible(false);
    m_lstFailures = new QListWidget(this);
    m_lstFailures->setObjectName(QStringLiteral("lstFailures"));
    m_lstFailures->setVisible(false);
    m_cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(m_cmdCancel, &QPushButton::clicked, this, &FileOperationProgress::OnCancelClicked);

    auto* figures = new QHBoxLayout;
    figures->addWidget(m_lblBytes);
    figures->addStretch();
    figures->addWidget(m_lblRate);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblFile);
    layout->addWidget(m_lblName);
    layout->addWidget(m_pgbProgress);
    layout->addLayout(figures);
    layout->addWidget(m_lstFailures);
    layout->addLayout(buttons);

    m_started.start();
    m_refresh.setInterval(static_cast<int>(kPumpIntervalMs));
    connect(&m_refresh, &QTimer::timeout, this, &FileOperationProgress::Refresh);
    m_refresh.start();
    Refresh();
    adjustSize();
    if (owner) {
        const QRect area(owner->mapToGlobal(QPoint(0, 0)), owner->size());
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    show();
}

void FileOperationProgress::StartItem(int number, const QString& name)
{
    m_itemNumber = number;
    m_itemName = name;
    m_itemChanged = true;
}

void FileOperationProgress::AddBytes(qint64 bytes)
{
    m_bytesDone += bytes;
}

void FileOperationProgress::AddFailure(const QString& text)
{
    m_lstFailures->addItem(text);
    m_lstFailures->setVisible(true);
}

void FileOperationProgress::Pump()
{
    // Every new item is shown, however quickly the previous one went.
    if (!m_itemChanged && m_lastPump.isValid() && m_lastPump.elapsed() < kPumpIntervalMs)
        return;
    m_itemChanged = false;
    Refresh();
    DoEvents();
    m_lastPump.start();
}

bool FileOperationProgress::Finish()
{
    m_finished = true;
    m_refresh.stop();
    if (m_lstFailures->count() == 0) {
        hide();
        return false;
    }
    Refresh();
    m_cmdCancel->setText(QStringLiteral("Close"));
    setAttribute(Qt::WA_DeleteOnClose);
    return true;
}

void FileOperationProgress::closeEvent(QCloseEvent* event)
{
    // Closing a running operation's window asks it to stop; it closes when the work is over.
    if (!m_finished) {
        OnCancelClicked();
        event->ignore();
        return;
    }
    event->accept();
}

void FileOperationProgress::OnCancelClicked()
{
    if (m_finished)
        close();
    else if (m_onCancel)
        m_onCancel();
    else
        m_cancelRequested = true;
}

void FileOperationProgress::Refresh()
{
    const QString noun = m_kind == Kind::Copy ? QStringLiteral("File") : QStringLiteral("Item");
    m_lblFile->setText(QStringLiteral("%1 %2 of %3").arg(noun).arg(m_itemNumber).arg(m_itemCount));
    m_lblName->setText(
        m_lblName->fontMetrics().elidedText(m_itemName, Qt::ElideMiddle, kNameWidth));

    const QLocale locale;
    if (m_kind == Kind::Copy) {
        // A pipe, or a file that grew, brings more than was counted at the start.
        const qint64 total = std::max(m_totalBytes, m_bytesDone);
        m_lblBytes->setText(QStringLiteral("%1 of %2")
                                .arg(Megabytes(locale, m_bytesDone), Megabytes(locale, total)));
        const qint64 ms = m_started.elapsed();
        const qint64 rate = ms > 0 ? m_bytesDone * 1000 / ms : 0;
        m_lblRate->setText(Megabytes(locale, rate) + QStringLiteral("/s"));
        m_pgbProgress->setValue(total > 0 ? static_cast<int>(m_bytesDone * kBarSteps / total) : 0);
    } else {
        m_pgbProgress->setValue(m_itemCount > 0 ? m_itemNumber * kBarSteps / m_itemCount : 0);
    }
}
