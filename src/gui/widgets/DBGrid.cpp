// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/DBGrid.h"

#include "core/register/Dataset.h"
#include "core/register/DatasetModel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QTimer>

DBGrid::DBGrid(Dataset* dataset, const QStringList& columns, const QStringList& captions, QWidget* parent)
    : QTableView(parent), m_dataset(dataset), m_model(new DatasetModel(dataset, columns, captions, this))
{
    // Rows added or removed move the current index with them, which is no
    // move of the dataset: heard before the view's selection hears of them.
    for (auto before : {&QAbstractItemModel::rowsAboutToBeInserted, &QAbstractItemModel::rowsAboutToBeRemoved})
        connect(m_model, before, this, [this] { m_following = true; });
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->hide();
    // Every row as high as the first: a list of many thousands of rows
    // never asks each row for its height.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    // The selected row stays visible while the list has no focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);

    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        Q_EMIT titleClicked(m_model->columns().value(section));
    });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            Q_EMIT rowDoubleClicked();
    });
    connect(dataset, &Dataset::rowChanged, this, &DBGrid::followDataset);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DBGrid::followDataset);
    for (auto after : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved}) {
        connect(m_model, after, this, [this] {
            m_following = false;
            followDataset();
        });
    }
    followDataset();
}

Dataset* DBGrid::dataset() const
{
    return m_dataset;
}

void DBGrid::setRowIndicator(bool on)
{
    m_model->setRowIndicator(on);
    verticalHeader()->setVisible(on);
    if (on)
        verticalHeader()->setFixedWidth(14);
}

void DBGrid::followDataset()
{
    const QScopedValueRollback<bool> following(m_following, true);
    const int row = dataset()->isOpen() && dataset()->state() != Dataset::State::Insert ? dataset()->recNo() : -1;
    if (row < 0 || row >= m_model->rowCount()) {
        // No row of the list is current (a new row is being built): a click
        // on any row, the one shown before included, is a move.
        selectionModel()->clear();
        return;
    }
    const QModelIndex at = m_model->index(row, std::max(0, currentIndex().column()));
    selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(at);
}

void DBGrid::focusInEvent(QFocusEvent* event)
{
    // Taking the focus is no move, even where no row is current.
    {
        const QScopedValueRollback<bool> following(m_following, true);
        QTableView::focusInEvent(event);
    }
    followDataset();
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (m_following || !current.isValid() || !dataset()->isOpen())
        return;
    if (dataset()->state() != Dataset::State::Insert && current.row() == dataset()->recNo())
        return;
    if (!dataset()->moveToRow(current.row())) {
        // The pending edit was refused (its message has been shown): back to
        // the row that is still current, once this change has run its course.
        QTimer::singleShot(0, this, &DBGrid::followDataset);
    }
}
