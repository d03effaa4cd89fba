#pragma once

#include <QWidget>

class Clock;
class QLabel;

// The splash window shown while the program prepares itself.
class TForm5 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm5(Clock& clock, QWidget* parent = nullptr);
    ~TForm5() override;

    // Writes the status line, repaints at once, then blocks for ms.
    void SetSplashStatus(const QString& text, int ms);
    QString status() const;

    // The splash created last, or null.
    static TForm5* last();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Clock& m_clock;
    QLabel* m_status;
};

// Acts on the splash created last; does nothing when there is none.
void SetSplashStatus(const QString& text, int ms);
