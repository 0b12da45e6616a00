#pragma once

#include <QDialog>

struct RunPlan;
class QTreeWidget;
class QPushButton;

// Shows what a run would do, as its plan says, before anything is touched: per destination
// what emptying removes, each pass's files under their names there with their sizes, and the
// bytes each pass uses of its budget, then the seed that repeats it. "Start" ends the dialog
// with Accepted (the caller then runs the job with that seed); "Close" does nothing.
class frmPreview : public QDialog
{
    Q_OBJECT

public:
    frmPreview(const RunPlan& plan, quint32 seed, QWidget* owner = nullptr);

    QTreeWidget* tvwPlan() const { return m_tvwPlan; }

private:
    QTreeWidget* m_tvwPlan;
    QPushButton* m_cmdStart;
    QPushButton* m_cmdClose;
};

// Megabytes of 1,048,576 bytes with two decimals, as the destinations' sizes count them.
QString Megabytes(qint64 bytes);
