#pragma once

#include <QStringList>
#include <QWidget>

namespace quorvane::app {

// The wizard's steps down the left side of the main window: each with its
// number, the current one marked, the ones behind it ticked.
class StepList : public QWidget {
    Q_OBJECT
public:
    explicit StepList(QWidget* parent = nullptr);

    void SetCurrent(int step);
    int Current() const { return current_; }
    static const QStringList& Titles();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int current_ = 0;
};

} // namespace quorvane::app
