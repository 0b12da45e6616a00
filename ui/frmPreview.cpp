#include "ui/frmPreview.h"

#include "base/ProductInfo.h"
#include "engine/RunPlan.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

QString Megabytes(qint64 bytes)
{
    return QStringLiteral("%1 MB").arg(static_cast<double>(bytes) / 1048576.0, 0, 'f', 2);
}

namespace {

QTreeWidgetItem* Row(QTreeWidgetItem* parent, const QString& name, const QString& size = {},
                     const QString& source = {})
{
    auto* item = new QTreeWidgetItem(parent, {name, size, source});
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

frmPreview::frmPreview(const RunPlan& plan, quint32 seed, QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmPreview"));
    setWindowTitle(QStringLiteral("Preview Run - ") + kProductTitle);
    setModal(true);

    m_tvwPlan = new QTreeWidget(this);
    m_tvwPlan->setObjectName(QStringLiteral("tvwPlan"));
    m_tvwPlan->setHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("From")});
    m_tvwPlan->setUniformRowHeights(true);
    for (const DestinationPlan& destination : plan.destinations) {
        auto* top = new QTreeWidgetItem(m_tvwPlan, {destination.folder});
        Row(top, QStringLiteral("Emptying removes %1 files").arg(destination.emptiedFiles),
            Megabytes(destination.emptiedBytes));
        for (int pass = 0; pass < 2; ++pass) {
            const PlannedPass& step = destination.passes[pass];
            QTreeWidgetItem* passItem = Row(
                top, QStringLiteral("Pass %1 (%2): %3 files, %4 of %5")
                         .arg(pass + 1)
                         .arg(pass == 0 ? QStringLiteral("new files") : QStringLiteral("any files"))
                         .arg(step.files.size())
                         .arg(Megabytes(step.used), Megabytes(step.budget)));
            for (const PlannedFile& file : step.files)
                Row(passItem, file.target,
                    (file.convert ? QStringLiteral("at most ") : QString()) + Megabytes(file.size),
                    file.source);
        }
    }
    m_tvwPlan->expandAll();
    m_tvwPlan->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_tvwPlan->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);

    auto* seedLabel = new QLabel(QStringLiteral("Seed: %1").arg(seed), this);
    seedLabel->setObjectName(QStringLiteral("lblPreviewSeed"));
    seedLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_cmdStart = new QPushButton(QStringLiteral("&Start"), this);
    m_cmdStart->setObjectName(QStringLiteral("cmdPreviewStart"));
    m_cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    m_cmdClose->setObjectName(QStringLiteral("cmdPreviewClose"));
    m_cmdClose->setDefault(true);
    connect(m_cmdStart, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cmdClose, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(seedLabel);
    buttons->addStretch();
    buttons->addWidget(m_cmdStart);
    buttons->addWidget(m_cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tvwPlan);
    layout->addLayout(buttons);
    resize(720, 480);
}
