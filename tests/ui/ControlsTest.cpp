#include "ui/controls/AnimationControl.h"
#include "ui/controls/BitmapButton.h"
#include "ui/controls/CTransparentStatic2.h"
#include "ui/controls/ColorLabel.h"
#include "ui/controls/OptionButton.h"
#include "ui/controls/SkinnedDialog.h"
#include "ui/controls/TextProgressBar.h"

#include <QApplication>
#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

using namespace quorvane::ui;

namespace {

QColor At(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

bool Near(const QColor& a, const QColor& b, int tolerance = 24) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// Pixels of `color` inside `area` of `image`.
int CountNear(const QImage& image, const QRect& area, const QColor& color, int tolerance = 24) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += Near(image.pixelColor(x, y), color, tolerance) ? 1 : 0;
        }
    }
    return count;
}

// What the widget paints, over a sentinel colour (nothing of the parent).
QImage Render(QWidget& widget, const QColor& under = QColor(1, 2, 3)) {
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(under);
    widget.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

// A solid picture written as SVG, `w` x `h`.
QString SolidSvg(const QTemporaryDir& dir, const QString& name, const QColor& color, int w = 40,
                 int h = 20) {
    const QString path = dir.filePath(name + QStringLiteral(".svg"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(QStringLiteral("<svg xmlns='http://www.w3.org/2000/svg' width='%1' height='%2'>"
                              "<rect width='%1' height='%2' fill='%3'/></svg>")
                   .arg(w)
                   .arg(h)
                   .arg(color.name())
                   .toUtf8());
    return path;
}

// A 1 x 1 GIF of two frames: red, then blue (LZW codes written out by hand).
QByteArray TwoFrameGif() {
    QByteArray gif("GIF89a");
    gif += QByteArray::fromHex("010001008000"
                               "00"
                               "ff0000"
                               "0000ff");
    const QByteArray frame = QByteArray::fromHex("21f90400"
                                                 "0a00"
                                                 "0000"
                                                 "2c0000000001000100"
                                                 "00");
    gif += frame + QByteArray::fromHex("0202440100");
    gif += frame + QByteArray::fromHex("02024c0100");
    gif += QByteArray::fromHex("3b");
    return gif;
}

} // namespace

class ControlsTest : public QObject {
    Q_OBJECT
private slots:
    void TextProgressBarFillsAndInvertsItsText();
    void TextProgressBarWithEmptyRangeDrawsNothing();
    void TextProgressBarAnswersLikeAProgressBar();
    void BitmapButtonShowsThePictureOfItsState_data();
    void BitmapButtonShowsThePictureOfItsState();
    void TransparentLabelShowsOnlyItsNewText();
    void SkinnedDialogTilesCentresAndStretches();
    void OptionButtonThatIsNotClickableKeepsItsState();
    void AnimationControlAnimatesGifsAndShowsOtherPicturesStill();
    void ColorLabelPaintsItsColours();
};

void ControlsTest::TextProgressBarFillsAndInvertsItsText() {
    const QColor bar(0, 0, 200);
    const QColor background(255, 255, 255);
    TextProgressBar progress;
    progress.resize(200, 24);
    QFont font = progress.font();
    font.setPixelSize(16);
    font.setBold(true);
    progress.setFont(font);
    progress.SetBarColor(bar);
    progress.SetBkColor(background);

    progress.SetPos(45);
    QCOMPARE(progress.FilledLength(), 90);
    QCOMPARE(progress.ShownText(), QStringLiteral("45%"));
    QImage image = Render(progress);
    QVERIFY(Near(At(image, 1, 1), bar));
    QVERIFY(Near(At(image, 89, 1), bar));
    QVERIFY(Near(At(image, 90, 1), background));
    QVERIFY(Near(At(image, 199, 22), background));

    // The text is centred over the bar's end: background-coloured where the
    // bar lies under it, bar-coloured over the rest.
    progress.SetPos(50);
    image = Render(progress);
    QVERIFY(CountNear(image, QRect(70, 2, 30, 20), background) > 10);
    QVERIFY(CountNear(image, QRect(100, 2, 30, 20), bar) > 10);
    // No text colour leaks outside the glyphs' row.
    QCOMPARE(CountNear(image, QRect(0, 0, 100, 1), background), 0);

    // A text colour of its own is used on both parts.
    progress.SetTextColor(QColor(200, 0, 0));
    image = Render(progress);
    QVERIFY(CountNear(image, QRect(70, 2, 30, 20), QColor(200, 0, 0)) > 10);
    QVERIFY(CountNear(image, QRect(100, 2, 30, 20), QColor(200, 0, 0)) > 10);

    // A caller's text replaces the percentage; hiding the text shows none.
    progress.SetText(QStringLiteral("45 % Completed"));
    QCOMPARE(progress.ShownText(), QStringLiteral("45 % Completed"));
    progress.SetShowText(false);
    QCOMPARE(progress.ShownText(), QString());
    image = Render(progress);
    QCOMPARE(CountNear(image, QRect(0, 0, 100, 24), QColor(200, 0, 0)), 0);

    // Vertical: filled from the bottom, no text.
    progress.SetShowText(true);
    progress.SetVertical(true);
    progress.resize(20, 100);
    progress.SetPos(30);
    image = Render(progress);
    QCOMPARE(progress.ShownText(), QString());
    QVERIFY(Near(At(image, 10, 99), bar));
    QVERIFY(Near(At(image, 10, 70), bar));
    QVERIFY(Near(At(image, 10, 69), background));
}

void ControlsTest::TextProgressBarWithEmptyRangeDrawsNothing() {
    TextProgressBar progress;
    progress.resize(120, 20);
    progress.SetRange(7, 7);
    progress.SetPos(7);
    const QImage image = Render(progress);
    QCOMPARE(CountNear(image, image.rect(), QColor(1, 2, 3), 0), 120 * 20);
    QCOMPARE(progress.ShownText(), QString());
}

void ControlsTest::TextProgressBarAnswersLikeAProgressBar() {
    TextProgressBar progress;
    QCOMPARE(progress.SetPos(30), 0);
    QCOMPARE(progress.SetPos(250), 30); // clamped to the range
    QCOMPARE(progress.GetPos(), 100);
    progress.SetRange(-10, 10);
    QCOMPARE(progress.GetRange(true), -10);
    QCOMPARE(progress.GetRange(false), 10);
    QCOMPARE(progress.GetPos(), 10);
    QCOMPARE(progress.DeltaPos(-15), 10);
    QCOMPARE(progress.GetPos(), -5);
    QCOMPARE(progress.SetStep(7), 1);
    progress.StepIt();
    progress.StepIt();
    QCOMPARE(progress.GetPos(), 9);
    progress.StepIt(); // 16 is past the maximum: it starts again from the minimum
    QCOMPARE(progress.GetPos(), -4);
    progress.SetRange(0, 200);
    progress.SetPos(91);
    QCOMPARE(progress.ShownText(), QStringLiteral("45%")); // truncated, not rounded
}

void ControlsTest::BitmapButtonShowsThePictureOfItsState_data() {
    QTest::addColumn<int>("pictures");
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("expected");
    const struct {
        int pictures;
        const char* state;
        int expected;
    } rows[] = {
        {1, "normal", 0}, {1, "pressed", 0}, {1, "disabled", 0},
        {2, "normal", 0}, {2, "pressed", 1}, {2, "disabled", 0},
        {3, "normal", 0}, {3, "pressed", 1}, {3, "disabled", 2},
    };
    for (const auto& row : rows) {
        QTest::addRow("%d pictures, %s", row.pictures, row.state)
            << row.pictures << QString::fromLatin1(row.state) << row.expected;
    }
}

void ControlsTest::BitmapButtonShowsThePictureOfItsState() {
    QFETCH(int, pictures);
    QFETCH(QString, state);
    QFETCH(int, expected);
    QTemporaryDir dir;
    const QColor colors[] = {QColor(220, 30, 30), QColor(30, 200, 30), QColor(30, 30, 220)};
    const QString normal = SolidSvg(dir, QStringLiteral("normal"), colors[0], 60, 24);
    const QString pressed =
        pictures >= 2 ? SolidSvg(dir, QStringLiteral("pressed"), colors[1]) : QString();
    const QString disabled =
        pictures >= 3 ? SolidSvg(dir, QStringLiteral("disabled"), colors[2]) : QString();

    BitmapButton button;
    QVERIFY(button.SetBitmaps(normal, pressed, disabled));
    QCOMPARE(button.ImageCount(), pictures);
    QCOMPARE(button.size(), QSize(60, 24)); // every picture at the first one's size
    button.SetTooltip(QStringLiteral("Next"));
    QCOMPARE(button.toolTip(), QStringLiteral("Next"));
    if (state == QLatin1String("pressed")) {
        button.setDown(true);
    } else if (state == QLatin1String("disabled")) {
        button.setEnabled(false);
    }
    QCOMPARE(button.CurrentImage(), expected);
    const QImage image = Render(button);
    QVERIFY2(Near(At(image, 30, 12), colors[expected]),
             qPrintable(At(image, 30, 12).name() + QStringLiteral(" at the centre")));
    QVERIFY(Near(At(image, 58, 22), colors[expected]));
}

void ControlsTest::TransparentLabelShowsOnlyItsNewText() {
    QTemporaryDir dir;
    // A striped background, so that a label that paints anything of its own
    // (or leaves old text behind) differs from the parent's picture.
    const QString stripes = dir.filePath(QStringLiteral("stripes.svg"));
    {
        QFile file(stripes);
        file.open(QIODevice::WriteOnly);
        file.write("<svg xmlns='http://www.w3.org/2000/svg' width='8' height='8'>"
                   "<rect width='8' height='8' fill='#204060'/>"
                   "<rect width='4' height='8' fill='#306080'/></svg>");
    }
    const auto makeWindow = [&stripes](const QString& text) {
        auto window = std::make_unique<SkinnedDialog>();
        window->SetBackground(stripes, SkinnedDialog::kTile);
        window->setFixedSize(240, 60);
        auto* label = new CTransparentStatic2(text, window.get());
        label->setObjectName(QStringLiteral("label"));
        label->SetTextColor(Qt::white);
        QFont font = label->font();
        font.setPixelSize(20);
        label->setFont(font);
        label->setGeometry(10, 10, 220, 40);
        return window;
    };
    // What the screen shows: the window's back buffer, not a fresh render.
    const auto onScreen = [](QWidget& window) {
        QCoreApplication::processEvents();
        return window.screen()
            ->grabWindow(window.winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };

    auto changed = makeWindow(QStringLiteral("WWWWWWWWWWWW"));
    changed->show();
    QVERIFY(QTest::qWaitForWindowExposed(changed.get()));
    const QImage before = onScreen(*changed);
    changed->findChild<CTransparentStatic2*>(QStringLiteral("label"))->SetText(QStringLiteral("i"));
    const QImage after = onScreen(*changed);

    auto fresh = makeWindow(QStringLiteral("i"));
    fresh->show();
    QVERIFY(QTest::qWaitForWindowExposed(fresh.get()));
    const QImage expected = onScreen(*fresh);

    QVERIFY(before != expected); // the old text was there
    QCOMPARE(after.size(), expected.size());
    QVERIFY(after == expected);
    // And the label shows the parent's picture around its text.
    QCOMPARE(after.pixelColor(204, 30), QColor(0x20, 0x40, 0x60));
}

void ControlsTest::SkinnedDialogTilesCentresAndStretches() {
    QTemporaryDir dir;
    // 10 x 10: left half red, right half blue.
    const QString path = dir.filePath(QStringLiteral("halves.svg"));
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'>"
                   "<rect width='10' height='10' fill='#0000ff'/>"
                   "<rect width='5' height='10' fill='#ff0000'/></svg>");
    }
    const QColor red(255, 0, 0);
    const QColor blue(0, 0, 255);
    SkinnedDialog dialog;
    dialog.resize(40, 20);
    QPalette palette = dialog.palette();
    palette.setColor(QPalette::Window, QColor(0, 255, 0));
    dialog.setPalette(palette);
    dialog.SetBackground(path, SkinnedDialog::kTile);
    QVERIFY(dialog.HasBackground());
    QImage image = Render(dialog);
    QVERIFY(Near(At(image, 2, 2), red));
    QVERIFY(Near(At(image, 12, 15), red)); // the second tile
    QVERIFY(Near(At(image, 17, 15), blue));

    dialog.SetBackgroundMode(SkinnedDialog::kCenter);
    image = Render(dialog);
    QVERIFY(Near(At(image, 2, 2), QColor(0, 255, 0)));
    QVERIFY(Near(At(image, 16, 8), red)); // the picture at (15, 5)
    QVERIFY(Near(At(image, 22, 8), blue));

    dialog.SetBackgroundMode(7); // not a mode: ignored
    QCOMPARE(dialog.BackgroundMode(), int(SkinnedDialog::kCenter));
    dialog.SetBackgroundMode(SkinnedDialog::kStretch);
    image = Render(dialog);
    QVERIFY(Near(At(image, 18, 10), red));
    QVERIFY(Near(At(image, 22, 10), blue));
    QVERIFY(Near(At(image, 39, 19), blue));

    // A picture that cannot be loaded leaves the normal background.
    dialog.SetBackground(dir.filePath(QStringLiteral("missing.svg")), SkinnedDialog::kTile);
    QVERIFY(!dialog.HasBackground());
}

void ControlsTest::OptionButtonThatIsNotClickableKeepsItsState() {
    QWidget window;
    auto* first =
        new OptionButton(OptionButton::Kind::Radio, QStringLiteral("Standard Search"), &window);
    auto* second =
        new OptionButton(OptionButton::Kind::Radio, QStringLiteral("Professional Search"), &window);
    auto* box = new OptionButton(OptionButton::Kind::CheckBox, QStringLiteral("Search Entire Disk"),
                                 &window);
    first->setGeometry(0, 0, 200, 24);
    second->setGeometry(0, 30, 200, 24);
    box->setGeometry(0, 60, 200, 24);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTest::mouseClick(first, Qt::LeftButton);
    QVERIFY(first->isChecked());
    QTest::mouseClick(second, Qt::LeftButton);
    QVERIFY(second->isChecked());
    QVERIFY(!first->isChecked()); // radios exclude each other, check boxes do not
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(box->isChecked() && second->isChecked());

    for (OptionButton* button : {first, box}) {
        button->SetClickable(false);
        const bool was = button->isChecked();
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::mouseDClick(button, Qt::LeftButton);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Space);
        QCOMPARE(button->isChecked(), was);
    }

    // The tooltip is wrapped to lines of at most 400 pixels.
    const QString words = QStringLiteral("Searches every sector of a range for folders and boot "
                                         "sectors and finds the file systems they belong to. ")
                              .repeated(3);
    second->SetTooltip(words);
    const QFontMetrics metrics(QToolTip::font());
    const QStringList lines = second->toolTip().split(QLatin1Char('\n'));
    QVERIFY(lines.size() > 1);
    for (const QString& line : lines) {
        QVERIFY(metrics.horizontalAdvance(line) <= OptionButton::kTooltipWidth);
    }
    QCOMPARE(lines.join(QLatin1Char(' ')).simplified(), words.simplified());
}

void ControlsTest::AnimationControlAnimatesGifsAndShowsOtherPicturesStill() {
    const QByteArray gif = TwoFrameGif();
    {
        // The hand-made picture is a real two-frame GIF.
        QBuffer buffer;
        buffer.setData(gif);
        QImageReader reader(&buffer, "gif");
        QCOMPARE(reader.imageCount(), 2);
    }
    AnimationControl animation;
    QVERIFY(animation.LoadFromData(gif));
    QVERIFY(animation.IsAnimated());
    QCOMPARE(animation.FrameCount(), 2);
    QCOMPARE(animation.PictureSize(), QSize(1, 1));
    animation.resize(1, 1);
    QVERIFY(Near(At(Render(animation), 0, 0), QColor(255, 0, 0)));
    QSignalSpy shown(&animation, &AnimationControl::FrameShown);
    animation.Start();
    QVERIFY(animation.IsRunning());
    QVERIFY(shown.wait(5000));
    QCOMPARE(shown.front().front().toInt(), 1);
    QVERIFY(Near(At(Render(animation), 0, 0), QColor(0, 0, 255)));
    QVERIFY(shown.wait(5000)); // after the last frame: the first again
    QCOMPARE(shown.back().front().toInt(), 0);
    animation.Stop();
    QVERIFY(!animation.IsRunning());

    // One frame, or another format: a still picture.
    QByteArray single = gif;
    single.truncate(gif.size() - 1 - 18); // the second frame cut off
    single += QByteArray::fromHex("3b");
    QVERIFY(animation.LoadFromData(single));
    QVERIFY(!animation.IsAnimated());
    QCOMPARE(animation.FrameCount(), 1);

    QTemporaryDir dir;
    QVERIFY(animation.Load(SolidSvg(dir, QStringLiteral("still"), QColor(30, 200, 30), 30, 12)));
    QVERIFY(!animation.IsAnimated());
    QCOMPARE(animation.PictureSize(), QSize(30, 12));
    animation.Start(); // nothing to animate
    QVERIFY(!animation.IsRunning());
    QVERIFY(!animation.Load(dir.filePath(QStringLiteral("missing.gif"))));
    QCOMPARE(animation.FrameCount(), 0);
}

void ControlsTest::ColorLabelPaintsItsColours() {
    ColorLabel label(QStringLiteral("  "));
    label.resize(40, 16);
    label.SetBackgroundColor(QColor(10, 120, 200));
    label.SetTextColor(QColor(250, 250, 0));
    QCOMPARE(label.TextColor(), QColor(250, 250, 0));
    QVERIFY(Near(At(Render(label), 20, 8), QColor(10, 120, 200), 0));
}

QTEST_MAIN(ControlsTest)
#include "ControlsTest.moc"
