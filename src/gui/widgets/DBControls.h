#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTableView>

class DataSource;
class Dialogs;
class Dataset;

// Makes a plain text box drop, as it is typed or pasted, every character that
// Windows-1254 cannot hold, as the data-aware boxes do.
void keepToCodePage1254(QLineEdit* box);

// Data-aware controls. User input begins editing and writes the field at
// once; a change of the dataset refreshes the control; while the data source
// is disabled the control shows nothing.

class DBEdit : public QLineEdit
{
    Q_OBJECT
public:
    DBEdit(DataSource* source, const QString& column, QWidget* parent = nullptr);

    const QString& column() const { return m_column; }
    Dataset* dataset() const;
    // The text the field receives for what the box shows.
    virtual QString fieldText() const;
    void refresh();

protected:
    // Puts a field's value into the box.
    virtual void showValue(const QString& value);
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void userEdited();

    DataSource* m_source;
    QString m_column;
    bool m_writing = false;
};

// The identity-number box: eleven digit positions, each shown as "_" while
// empty; an empty position reads as a blank.
class DBMaskEdit : public DBEdit
{
    Q_OBJECT
public:
    DBMaskEdit(DataSource* source, const QString& column, QWidget* parent = nullptr);
    // Eleven characters: digits, and a blank for every empty position.
    QString boxText() const;
    // A box with no digit stores nothing.
    QString fieldText() const override;
    // On leaving the box: an eleven-digit number that fails the check is
    // warned about and the focus comes back, and a click that took the
    // focus away does nothing more; an empty box is not checked.
    void warnIfInvalid(Dialogs& dialogs);

protected:
    // Each digit at its own position, so that a gap stays a gap.
    void showValue(const QString& value) override;
};

class DBLookupComboBox : public QComboBox
{
    Q_OBJECT
public:
    // Lists the lookup dataset's listColumn, stores its keyColumn in column.
    DBLookupComboBox(DataSource* source, const QString& column, Dataset* lookup, const QString& keyColumn,
                     const QString& listColumn, QWidget* parent = nullptr);

    const QString& column() const { return m_column; }
    void refresh();
    void reloadList();

private:
    void userChose(int index);

    DataSource* m_source;
    QString m_column;
    Dataset* m_lookup;
    QString m_keyColumn;
    QString m_listColumn;
    bool m_writing = false;
};

class DBCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    DBCheckBox(DataSource* source, const QString& column, const QString& caption, QWidget* parent = nullptr);
    const QString& column() const { return m_column; }
    void refresh();

private:
    DataSource* m_source;
    QString m_column;
    bool m_writing = false;
};

class DatasetModel;

// A read-only list of a dataset's rows, one row selected as a whole: the
// dataset's current row. Moving in the list moves the dataset, which first
// settles a pending edit; when that is refused the list stays where it was.
class DBGrid : public QTableView
{
    Q_OBJECT
public:
    DBGrid(DataSource* source, const QStringList& columns, const QStringList& captions, QWidget* parent = nullptr);

    Dataset* dataset() const;
    DatasetModel* datasetModel() const { return m_model; }
    // A marker for the current row in a narrow column at the left.
    void setRowIndicator(bool on);
    // Selects the dataset's current row.
    void followDataset();

Q_SIGNALS:
    void titleClicked(const QString& column);
    void rowDoubleClicked();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    DataSource* m_source;
    DatasetModel* m_model;
    bool m_following = false;
};
