// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/transfer/CompletenessDialog.h"

#include "platform/core/Dialogs.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QFrame>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

const QString CompletenessDialog::kIntroText = QStringLiteral(
    "Aşağıdaki misafirlerin bilgileri bildirim sisteminde reddedilebilir ya da hatalı görünüyor:");
const QString CompletenessDialog::kCannotGoOnText = QStringLiteral(
    "Bildirim dosyasına yazılamayan karakterler düzeltilmeden transfer yapılamaz.");

namespace {

// Read-only lines over the findings the dialog holds: number, name, problems.
class FindingsModel final : public QAbstractTableModel
{
public:
    FindingsModel(const QList<Completeness::Finding>& findings, QObject* parent)
        : QAbstractTableModel(parent), m_findings(findings)
    {
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_findings.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 4; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_findings.size())
            return {};
        const Completeness::Finding& f = m_findings[index.row()];
        if (role == Qt::TextAlignmentRole && index.column() == 0)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        // Each problem whole in the tooltip, one a line.
        if (role == Qt::ToolTipRole)
            return f.problems.join(QLatin1Char('\n'));
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column()) {
        case 0: return QString::number(f.siraNo);
        case 1: return QStringList{f.adi.trimmed(), f.soyadi.trimmed()}.join(QLatin1Char(' ')).trimmed();
        case 2: return f.room.trimmed();
        case 3: return f.problems.join(QLatin1Char(' '));
        }
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        switch (section) {
        case 0: return QStringLiteral("Sıra No");
        case 1: return QStringLiteral("Adı Soyadı");
        case 2: return QStringLiteral("Oda No");
        case 3: return QStringLiteral("Sorun");
        }
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

private:
    // A shared copy: the view may still ask while the dialog is torn down.
    const QList<Completeness::Finding> m_findings;
};

} // namespace

CompletenessDialog::CompletenessDialog(const QList<Completeness::Finding>& findings, QWidget* parent)
    : QDialog(parent), m_findings(findings)
{
    setObjectName(QStringLiteral("CompletenessDialog"));
    setWindowTitle(kAppTitle);
    setModal(true);
    resize(760, 420);

    m_intro = new QLabel(kIntroText, this);
    m_intro->setObjectName(QStringLiteral("IntroLabel"));
    m_intro->setWordWrap(true);

    m_model = new FindingsModel(m_findings, this);
    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("FindingsList"));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    // Every line is one text high: the view need not measure a thousand of them.
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->header()->setSectionsMovable(false);
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(0, 70);
    m_list->setColumnWidth(1, 200);
    m_list->setColumnWidth(2, 70);
    // The selected guest's problems whole, one a line: a long one does not fit its column.
    m_detail = new QLabel(this);
    m_detail->setObjectName(QStringLiteral("DetailLabel"));
    m_detail->setWordWrap(true);
    m_detail->setTextFormat(Qt::PlainText);
    m_detail->setFrameShape(QFrame::StyledPanel);
    m_detail->setMinimumHeight(3 * m_detail->fontMetrics().lineSpacing() + 8);
    m_detail->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    connect(m_list, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            goTo(index.row());
    });

    m_goTo = new QPushButton(QStringLiteral("Kayda &Git"), this);
    m_goTo->setObjectName(QStringLiteral("GoToButton"));
    m_goTo->setDefault(true);
    connect(m_goTo, &QPushButton::clicked, this, [this] { goTo(selectedRow()); });
    m_goOn = new QPushButton(QStringLiteral("&Devam Et"), this);
    m_goOn->setObjectName(QStringLiteral("GoOnButton"));
    m_goOn->setAutoDefault(false);
    connect(m_goOn, &QPushButton::clicked, this, &CompletenessDialog::goOn);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_goTo);
    buttons->addWidget(m_goOn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_intro);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_detail);
    layout->addLayout(buttons);

    setTabOrder(m_list, m_goTo);
    setTabOrder(m_goTo, m_goOn);

    // A value the file cannot carry: the run cannot go on, so it is not offered.
    const bool blocked = Completeness::blocksRun(m_findings);
    m_goOn->setEnabled(!blocked);
    m_goOn->setVisible(!blocked);
    if (blocked)
        m_intro->setText(kIntroText + QLatin1Char('\n') + kCannotGoOnText);

    if (!m_findings.isEmpty()) {
        int first = 0;
        while (blocked && !m_findings[first].blocksRun)
            ++first;
        m_list->setCurrentIndex(m_model->index(first, 0));
        m_decision = {Completeness::Decision::GoToGuest, m_findings[first].key, m_findings[first].columns.value(0)};
        showDetail(first);
    }
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { showDetail(current.row()); });
    m_list->setFocus(Qt::OtherFocusReason);
}

Completeness::Decision CompletenessDialog::ask(const QList<Completeness::Finding>& findings, QWidget* parent)
{
    if (findings.isEmpty())
        return {Completeness::Decision::GoOn, 0};
    CompletenessDialog dialog(findings, parent);
    dialog.exec();
    return dialog.decision();
}

void CompletenessDialog::reject()
{
    goTo(selectedRow());
}

int CompletenessDialog::selectedRow() const
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    const int row = rows.isEmpty() ? m_list->currentIndex().row() : rows.first().row();
    return row < 0 ? 0 : row;
}

void CompletenessDialog::goTo(int row)
{
    if (row < m_findings.size())
        m_decision = {Completeness::Decision::GoToGuest, m_findings[row].key, m_findings[row].columns.value(0)};
    else
        m_decision = {Completeness::Decision::GoToGuest, 0, QString()};
    done(QDialog::Accepted);
}

void CompletenessDialog::showDetail(int row)
{
    m_detail->setText(row >= 0 && row < m_findings.size() ? m_findings[row].problems.join(QLatin1Char('\n'))
                                                          : QString());
}

void CompletenessDialog::goOn()
{
    if (Completeness::blocksRun(m_findings))
        return;
    m_decision = {Completeness::Decision::GoOn, 0};
    done(QDialog::Accepted);
}
