// Every language fits: the Normal window (in each live mode, connected to the virtual camera) and
// the ruler settings, in all eleven languages, on a 1024 x 768 screen with the fonts a Debian
// desktop has (Xvfb and openbox, with-openbox.sh). A control is clipped when its text is wider
// than it (or a caption on more lines than it is tall), or when it lies partly outside the
// widgets that hold it (its window included), or when a tool bar hides some of its controls. A
// screenshot of every window looked at is written beside the test, to look at.
#include "state/usersettings.h"

#include "realprogram.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

using C = state::ControlId;

bool underWindowManager()
{
    return QGuiApplication::platformName() == QLatin1String("xcb") && qEnvironmentVariableIsSet("SENDRA_TEST_WM");
}

QString describe(const QWidget *w)
{
    QString name = w->objectName();
    if (name.isEmpty())
        name = QString::fromLatin1(w->metaObject()->className());
    return name;
}

// The rectangle of `w` in `window`'s coordinates.
QRect inWindow(const QWidget *w, const QWidget *window) { return QRect(w->mapTo(window, QPoint(0, 0)), w->size()); }

QString plain(QString text) { return text.remove(u'&'); }

// The width the text of `w` needs, and the width it has for it; {0, 0} for a widget without text.
std::pair<int, int> textWidths(const QWidget *w)
{
    const QFontMetrics fm = w->fontMetrics();
    if (auto *l = qobject_cast<const QLabel *>(w)) {
        if (l->text().isEmpty() || l->textFormat() == Qt::RichText || Qt::mightBeRichText(l->text()))
            return {0, 0};
        if (l->wordWrap())   // a wrapping label needs its height instead
            return {l->heightForWidth(l->contentsRect().width()), l->contentsRect().height()};
        return {fm.horizontalAdvance(l->text()), l->contentsRect().width()};
    }
    if (auto *b = qobject_cast<const QCheckBox *>(w))
        return b->text().isEmpty() ? std::pair{0, 0} : std::pair{b->sizeHint().width(), b->width()};
    if (auto *b = qobject_cast<const QRadioButton *>(w))
        return b->text().isEmpty() ? std::pair{0, 0} : std::pair{b->sizeHint().width(), b->width()};
    if (auto *b = qobject_cast<const QPushButton *>(w)) {
        if (b->text().isEmpty())
            return {0, 0};
        const int margin = b->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b);
        const int icon = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
        const QSize text = fm.size(Qt::TextShowMnemonic, b->text());
        if (text.height() > b->height())   // a caption on more lines than the button is tall
            return {text.height(), b->height()};
        return {text.width() + icon + margin, b->width()};
    }
    if (auto *b = qobject_cast<const QToolButton *>(w)) {
        if (b->text().isEmpty() || b->toolButtonStyle() == Qt::ToolButtonIconOnly)
            return {0, 0};
        return {b->sizeHint().width(), b->width()};
    }
    if (auto *g = qobject_cast<const QGroupBox *>(w))
        return g->title().isEmpty() ? std::pair{0, 0} : std::pair{fm.horizontalAdvance(plain(g->title())) + 16, g->width()};
    if (auto *c = qobject_cast<const QComboBox *>(w)) {
        if (c->currentText().isEmpty())
            return {0, 0};
        QStyleOptionComboBox option;
        option.initFrom(c);
        const QRect field = c->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, c);
        return {fm.horizontalAdvance(c->currentText()), field.width()};
    }
    return {0, 0};
}

// Every clipped control of the top-level `window`, one line each.
QStringList clippedControls(QWidget *window)
{
    QStringList found;
    const QRect screen = window->screen()->availableGeometry();
    if (!screen.contains(window->frameGeometry()))
        found << QStringLiteral("the window (%1 x %2) does not fit the screen")
                     .arg(window->frameGeometry().width())
                     .arg(window->frameGeometry().height());
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisible() || w->window() != window)
            continue;
        // A hidden part of a tool bar: the bar is too narrow for its controls.
        if (w->objectName() == QLatin1String("qt_toolbar_ext_button")) {
            found << describe(w->parentWidget()) + QStringLiteral(" hides controls behind its extension arrow");
            continue;
        }
        const bool control = qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w) || qobject_cast<QGroupBox *>(w)
                             || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSpinBox *>(w)
                             || qobject_cast<QLineEdit *>(w) || qobject_cast<QAbstractSlider *>(w)
                             || qobject_cast<QToolBar *>(w) || qobject_cast<QTabBar *>(w);
        if (!control)
            continue;
        // Content that scrolls is meant to be partly out of sight.
        bool scrolled = false;
        for (QWidget *p = w->parentWidget(); p && p != window; p = p->parentWidget())
            if (qobject_cast<QAbstractScrollArea *>(p) && !qobject_cast<QComboBox *>(w))
                scrolled = true;
        if (scrolled)
            continue;
        const QRect r = inWindow(w, window);
        for (QWidget *p = w->parentWidget(); p; p = p->parentWidget()) {
            const QRect holder = p == window ? window->rect() : inWindow(p, window);
            if (!holder.contains(r)) {
                found << QStringLiteral("%1 at %2,%3 %4x%5 lies outside %6 (%7,%8 %9x%10)")
                             .arg(describe(w))
                             .arg(r.x())
                             .arg(r.y())
                             .arg(r.width())
                             .arg(r.height())
                             .arg(describe(p))
                             .arg(holder.x())
                             .arg(holder.y())
                             .arg(holder.width())
                             .arg(holder.height());
                break;
            }
            if (p == window)
                break;
        }
        const auto [needed, has] = textWidths(w);
        if (needed > has)
            found << QStringLiteral("%1: its text needs %2 pixels and has %3").arg(describe(w)).arg(needed).arg(has);
    }
    return found;
}

// The window as it paints itself (another window over it on the screen does not matter), into
// `name`.png beside the test.
void screenshot(QWidget *window, const QString &name)
{
    const QString dir = QStringLiteral(SENDRA_SCREENSHOT_DIR);
    QDir().mkpath(dir);
    EXPECT_TRUE(window->grab().save(dir + u'/' + name + QStringLiteral(".png"))) << name.toStdString();
}

std::string lines(const QStringList &list) { return list.join(QStringLiteral("\n  ")).toStdString(); }

} // namespace

TEST(LanguagesFit, TheNormalWindowAndTheRulerSettingsInEveryLanguageAt1024x768)
{
    if (!underWindowManager())
        GTEST_SKIP() << "needs an X server with a window manager (run through with-openbox.sh)";
    if (QGuiApplication::primaryScreen()->size() != QSize(1024, 768))
        GTEST_SKIP() << "needs a 1024 x 768 screen (SENDRA_TEST_SCREEN=1024x768x24)";
    RealProgram program;
    app::ui::Shell &shell = program.shell();
    app::ui::MainWindow &window = program.app->window();
    ASSERT_TRUE(program.connect());
    QDialog *settings = window.findChild<QDialog *>(QStringLiteral("TSetRulerDlg"));
    ASSERT_TRUE(settings);
    const std::pair<C, const char *> modes[] = {{C::ChangeModeTB_Compare, "compare"},
                                                {C::ChangeModeTB_Cross, "reticle"},
                                                {C::ChangeModeTB_VideoCtrl, "picture"},
                                                {C::ChangeModeTB_Draw, "drawing"}};
    for (const state::LanguageInfo &language : state::languageTable()) {
        const QString name = QLatin1String(language.name);
        SCOPED_TRACE(language.name);
        shell.UpdateInterface(name);
        ASSERT_EQ(shell.state().settings().Language, name) << "no language file";
        for (const auto &[mode, modeName] : modes) {
            shell.UpdateActions();
            shell.controls().button(mode)->click();
            shell.UpdateActions();
            QCoreApplication::processEvents();
            const QStringList clipped = clippedControls(&window);
            EXPECT_TRUE(clipped.isEmpty()) << "Normal window, " << modeName << " mode:\n  " << lines(clipped);
            if (mode == C::ChangeModeTB_Compare)
                screenshot(&window, QStringLiteral("normal-") + name);
        }

        // The ruler settings, looked at from inside their modal loop; any question they ask
        // (the monitor width, under Xvfb) is answered first.
        QStringList clipped;
        bool looked = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != settings) {
                if (auto *d = qobject_cast<QDialog *>(modal))
                    d->reject();
                return;
            }
            if (looked || !settings->isVisible() || !settings->windowHandle()->isExposed())
                return;
            looked = true;
            clipped = clippedControls(settings);
            screenshot(settings, QStringLiteral("ruler-settings-") + name);
            settings->reject();
        });
        poll.start(20);
        QTimer::singleShot(0, shell.controls().button(C::DrawRulerTB_SetScale), &QAbstractButton::click);
        ASSERT_TRUE(QTest::qWaitFor([&] { return looked && !settings->isVisible(); }, 20000));
        EXPECT_TRUE(clipped.isEmpty()) << "ruler settings:\n  " << lines(clipped);
    }
}
