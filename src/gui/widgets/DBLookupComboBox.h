#pragma once

#include <QComboBox>

class Dataset;

// A list box bound to a column, like the other data-aware controls.
class DBLookupComboBox : public QComboBox
{
    Q_OBJECT
public:
    // Lists the lookup dataset's listColumn, stores its keyColumn in column.
    DBLookupComboBox(Dataset* dataset, const QString& column, Dataset* lookup, const QString& keyColumn,
                     const QString& listColumn, QWidget* parent = nullptr);

    const QString& column() const { return m_column; }
    void refresh();
    void reloadList();

private:
    void userChose(int index);

    Dataset* m_dataset;
    QString m_column;
    Dataset* m_lookup;
    QString m_keyColumn;
    QString m_listColumn;
    bool m_writing = false;
};
