// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>
#include <functional>

class Dataset;

// Data-aware controls: user input begins editing and writes the field at
// once; a change of the dataset refreshes the control; while the dataset is
// closed the control shows nothing. This one is a text box.
class DBEdit : public QLineEdit
{
    Q_OBJECT
public:
    DBEdit(Dataset* dataset, const QString& column, QWidget* parent = nullptr);

    const QString& column() const { return m_column; }
    Dataset* dataset() const;
    // The text the field receives for what the box shows.
    virtual QString fieldText() const;
    void refresh();
    // What the box keeps of a typed or pasted text (a character it drops is
    // not typed at all); by default everything the notification file can
    // carry.
    void setKeep(std::function<QString(const QString&)> keep);

protected:
    // Puts a field's value into the box.
    virtual void showValue(const QString& value);
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void userEdited();

    Dataset* m_dataset;
    QString m_column;
    std::function<QString(const QString&)> m_keep;
    bool m_writing = false;
};
