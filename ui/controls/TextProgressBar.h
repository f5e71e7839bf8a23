#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace quorvane::ui {

// A progress bar that draws itself: the filled part in the bar colour, the
// rest in the background colour and, on a horizontal bar, a text centred over
// the whole bar — the caller's text, or the percentage when there is none. By
// default the text takes the background colour over the filled part and the
// bar colour over the rest, so it stays readable wherever the bar ends.
//
// The operations are those of a standard progress bar; a colour left invalid
// (QColor()) means "default".
class TextProgressBar : public QWidget {
    Q_OBJECT
public:
    struct Range {
        int minimum = 0;
        int maximum = 100;
    };

    explicit TextProgressBar(QWidget* parent = nullptr);

    // The setters return the old value, as the standard messages do.
    Range SetRange(int minimum, int maximum);
    int SetPos(int position);
    int DeltaPos(int delta);
    int SetStep(int step);
    // Advances by the step; past the maximum it starts again from the minimum.
    int StepIt();
    Range GetRange() const { return range_; }
    int GetRange(bool minimum) const { return minimum ? range_.minimum : range_.maximum; }
    int GetPos() const { return position_; }
    QColor SetBarColor(const QColor& color);
    QColor SetBkColor(const QColor& color);
    QColor SetTextColor(const QColor& color);
    bool SetShowText(bool show);
    bool ShowText() const { return showText_; }

    // The caller's text; stored and redrawn when it changes.
    void SetText(const QString& text);
    const QString& Text() const { return text_; }

    void SetVertical(bool vertical);
    bool Vertical() const { return vertical_; }

    // What a paint shows: the text (empty when none is drawn) and the length
    // of the filled part in pixels.
    QString ShownText() const;
    int FilledLength() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int Percent() const;
    // Redraws when what the bar shows has changed since the last paint.
    void RefreshIfChanged();

    Range range_;
    int position_ = 0;
    int step_ = 1;
    bool showText_ = true;
    bool vertical_ = false;
    QColor bar_;
    QColor background_;
    QColor textColor_;
    QString text_;
    int drawnLength_ = -1;
    int drawnPercent_ = -1;
};

} // namespace quorvane::ui
