// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>
#include <QElapsedTimer>

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

    // Typed letters search the list from its top: the first item whose text
    // begins with the letters typed so far (Turkish case ignored) is chosen,
    // whatever the box showed; a pause of a second starts a new search. A
    // space is a letter of the search; F4 or Alt+Down open the list.
    static constexpr int kSearchPauseMs = 1000;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void userChose(int index);
    void search(const QString& typed);

    Dataset* m_dataset;
    QString m_column;
    Dataset* m_lookup;
    QString m_keyColumn;
    QString m_listColumn;
    bool m_writing = false;
    QString m_search;
    QElapsedTimer m_sinceTyped;
};
