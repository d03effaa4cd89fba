#include "gui/widgets/DBControls.h"

#include "core/register/CodePage.h"
#include "core/register/Dataset.h"
#include "core/register/DatasetModel.h"
#include "core/register/Validation.h"
#include "platform/core/Dialogs.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <algorithm>

void keepToCodePage1254(QLineEdit* box)
{
    QObject::connect(box, &QLineEdit::textEdited, box, [box](const QString& text) {
        if (CodePage::fits(text))
            return;
        const QString kept = CodePage::keepFitting(text);
        const int pos = box->cursorPosition() - int(text.size() - kept.size());
        box->setText(kept);
        box->setCursorPosition(std::clamp(pos, 0, int(kept.size())));
    });
}

namespace {

int columnSize(DataSource* source, const QString& column)
{
    return source->dataset()->table().column(column).size;
}

} // namespace

DBEdit::DBEdit(DataSource* source, const QString& column, QWidget* parent)
    : QLineEdit(parent), m_source(source), m_column(column)
{
    const int size = columnSize(source, column);
    if (size > 0)
        setMaxLength(size);
    connect(this, &QLineEdit::textEdited, this, &DBEdit::userEdited);
    connect(source, &DataSource::rowChanged, this, &DBEdit::refresh);
    connect(source, &DataSource::fieldChanged, this, [this](const QString& c) {
        if (c == m_column)
            refresh();
    });
    refresh();
}

Dataset* DBEdit::dataset() const
{
    return m_source->dataset();
}

QString DBEdit::fieldText() const
{
    return text();
}

void DBEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.at(0).isPrint() && !CodePage::fits(typed)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DBEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!CodePage::fits(event->commitString())) {
        QInputMethodEvent filtered(event->preeditString(), event->attributes());
        filtered.setCommitString(CodePage::keepFitting(event->commitString()), event->replacementStart(),
                                 event->replacementLength());
        QLineEdit::inputMethodEvent(&filtered);
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void DBEdit::userEdited()
{
    if (!CodePage::fits(text())) {
        // Pasted text: keep what the file can carry.
        const int pos = cursorPosition();
        setText(CodePage::keepFitting(text()));
        setCursorPosition(std::min(pos, int(text().size())));
    }
    Dataset* ds = dataset();
    if (!m_source->enabled() || !ds->isOpen())
        return;
    const QString typed = text();
    const int pos = cursorPosition();
    {
        // A new row begun by edit() refreshes every box; this one keeps what was typed.
        QScopedValueRollback<bool> writing(m_writing, true);
        if (ds->edit()) {
            if (text() != typed) {
                setText(typed);
                setCursorPosition(pos);
            }
            ds->setText(m_column, fieldText());
        }
    }
    if (!ds->isEditing())
        refresh();
}

void DBEdit::refresh()
{
    if (m_writing)
        return;
    Dataset* ds = dataset();
    const QString value = (m_source->enabled() && ds->isOpen()) ? ds->text(m_column) : QString();
    if (value != fieldText() || (value.isEmpty() && !text().isEmpty()))
        showValue(value);
}

void DBEdit::showValue(const QString& value)
{
    setText(value);
    setCursorPosition(0);
}

namespace {
const QChar kEmptyPosition = QLatin1Char('_');
constexpr int kPositions = 11;
} // namespace

DBMaskEdit::DBMaskEdit(DataSource* source, const QString& column, QWidget* parent) : DBEdit(source, column, parent)
{
    setInputMask(QStringLiteral("00000000000;_"));
    refresh();
}

QString DBMaskEdit::boxText() const
{
    QString shown = displayText();
    shown.replace(kEmptyPosition, QLatin1Char(' '));
    return shown;
}

QString DBMaskEdit::fieldText() const
{
    const QString shown = boxText();
    return shown.trimmed().isEmpty() ? QString() : shown;
}

namespace {

// Swallows the mouse buttons until it is deleted: the click that took the
// focus from a box whose leaving was refused does nothing more (a click on a
// list would otherwise move to another record).
class ClickSwallower : public QObject
{
public:
    explicit ClickSwallower(QObject* parent) : QObject(parent) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return true;
        default:
            return false;
        }
    }
};

} // namespace

void DBMaskEdit::warnIfInvalid(Dialogs& dialogs)
{
    const auto warning = identityNumberWarning(boxText());
    if (!warning)
        return;
    dialogs.inform(*warning);
    // Only after the warning is answered: its own buttons take clicks.
    auto* swallow = new ClickSwallower(this);
    QTimer::singleShot(0, this, [this, swallow] {
        delete swallow;
        setFocus(Qt::OtherFocusReason);
    });
}

void DBMaskEdit::showValue(const QString& value)
{
    // setText() would close the gaps; placing is no edit of the user's.
    const QSignalBlocker quiet(this);
    clear();
    for (int i = 0; i < std::min(int(value.size()), kPositions); ++i) {
        if (value[i].isDigit()) {
            setSelection(i, 1);
            insert(QString(value[i]));
        }
    }
    setModified(false);
    setCursorPosition(0);
}

DBLookupComboBox::DBLookupComboBox(DataSource* source, const QString& column, Dataset* lookup,
                                   const QString& keyColumn, const QString& listColumn, QWidget* parent)
    : QComboBox(parent), m_source(source), m_column(column), m_lookup(lookup), m_keyColumn(keyColumn),
      m_listColumn(listColumn)
{
    setEditable(false);
    connect(this, &QComboBox::activated, this, &DBLookupComboBox::userChose);
    connect(source, &DataSource::rowChanged, this, &DBLookupComboBox::refresh);
    connect(source, &DataSource::fieldChanged, this, [this](const QString& c) {
        if (c == m_column)
            refresh();
    });
    connect(lookup, &Dataset::rowsChanged, this, &DBLookupComboBox::reloadList);
    reloadList();
}

void DBLookupComboBox::reloadList()
{
    const bool blocked = blockSignals(true);
    clear();
    for (int i = 0; i < m_lookup->recordCount(); ++i)
        addItem(m_lookup->rowText(i, m_listColumn), m_lookup->rowText(i, m_keyColumn));
    blockSignals(blocked);
    refresh();
}

void DBLookupComboBox::refresh()
{
    if (m_writing)
        return;
    Dataset* ds = m_source->dataset();
    const QString key = (m_source->enabled() && ds->isOpen()) ? ds->text(m_column) : QString();
    const bool blocked = blockSignals(true);
    setCurrentIndex(key.isEmpty() ? -1 : findData(key));
    blockSignals(blocked);
}

void DBLookupComboBox::userChose(int index)
{
    Dataset* ds = m_source->dataset();
    if (!m_source->enabled() || !ds->isOpen() || index < 0)
        return;
    const QString key = itemData(index).toString();
    {
        QScopedValueRollback<bool> writing(m_writing, true);
        if (ds->edit())
            ds->setText(m_column, key);
    }
    refresh();
}

DBCheckBox::DBCheckBox(DataSource* source, const QString& column, const QString& caption, QWidget* parent)
    : QCheckBox(caption, parent), m_source(source), m_column(column)
{
    connect(this, &QCheckBox::clicked, this, [this](bool checked) {
        Dataset* ds = m_source->dataset();
        if (!m_source->enabled() || !ds->isOpen())
            return;
        QScopedValueRollback<bool> writing(m_writing, true);
        if (ds->edit())
            ds->setBoolean(m_column, checked);
    });
    connect(source, &DataSource::rowChanged, this, &DBCheckBox::refresh);
    connect(source, &DataSource::fieldChanged, this, [this](const QString& c) {
        if (c == m_column)
            refresh();
    });
}

void DBCheckBox::refresh()
{
    if (m_writing)
        return;
    Dataset* ds = m_source->dataset();
    if (m_source->enabled() && ds->isOpen())
        setChecked(ds->boolean(m_column));
}

DBGrid::DBGrid(DataSource* source, const QStringList& columns, const QStringList& captions, QWidget* parent)
    : QTableView(parent), m_source(source), m_model(new DatasetModel(source->dataset(), columns, captions, this))
{
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
    connect(source->dataset(), &Dataset::rowChanged, this, &DBGrid::followDataset);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DBGrid::followDataset);
    followDataset();
}

Dataset* DBGrid::dataset() const
{
    return m_source->dataset();
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
