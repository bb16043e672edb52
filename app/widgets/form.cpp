#include "app/widgets/form.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace korvana::forms {

namespace {

// Room a window manager's frame usually takes before the window has been
// shown once and its real frame is known: borders and a title bar.
const QMargins TYPICAL_FRAME(4, 30, 4, 4);

// The smallest size the user may shrink a form to; the page scrolls below it.
constexpr QSize SMALLEST_WINDOW(160, 120);

//! The smallest screen forms are scaled down for; below it they scroll.
constexpr QSize SMALLEST_FITTED_SCREEN(1280, 720);

//! The available area forms are scaled to fit; empty: no scaling.
QSize& fittedArea() {
    static QSize area;
    return area;
}

//! Every font of `form` and of its controls that set one, `scale` times as large.
void scaleFonts(QWidget* form, double scale) {
    const auto scaled = [scale](QFont font) {
        if (font.pixelSize() > 0) {
            font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * scale))));
        } else {
            font.setPointSizeF(font.pointSizeF() * scale);
        }
        return font;
    };
    const QList<QWidget*> children = form->findChildren<QWidget*>();
    std::vector<std::pair<QWidget*, QFont>> own;
    for (QWidget* child : children) {
        if (child->testAttribute(Qt::WA_SetFont)) own.emplace_back(child, scaled(child->font()));
    }
    form->setFont(scaled(form->font()));
    for (auto& [child, font] : own) child->setFont(font);
}

}  // namespace

double displayScaleFor(QSize designed, QSize available) {
    const auto fit = [&designed](QSize area) {
        const double width =
            static_cast<double>(area.width() - TYPICAL_FRAME.left() - TYPICAL_FRAME.right()) /
            designed.width();
        const double height =
            static_cast<double>(area.height() - TYPICAL_FRAME.top() - TYPICAL_FRAME.bottom()) /
            designed.height();
        return std::min({1.0, width, height});
    };
    return std::max(fit(available), fit(SMALLEST_FITTED_SCREEN));
}

void scaleFormsToFit(QSize available) { fittedArea() = available; }

QRect fittedWindowRect(QSize wanted, QPoint topLeft, QRect available, QMargins frame) {
    const int frameWidth = frame.left() + frame.right();
    const int frameHeight = frame.top() + frame.bottom();
    const QSize size(std::min(wanted.width(), available.width() - frameWidth),
                     std::min(wanted.height(), available.height() - frameHeight));
    // Keep the whole frame inside the area; failing that, its top left.
    const int left =
        std::clamp(topLeft.x() - frame.left(), available.left(),
                   std::max(available.left(), available.right() + 1 - size.width() - frameWidth));
    const int top =
        std::clamp(topLeft.y() - frame.top(), available.top(),
                   std::max(available.top(), available.bottom() + 1 - size.height() - frameHeight));
    return QRect(QPoint(left + frame.left(), top + frame.top()), size);
}

Form::Form(const char* name, const QString& caption, int widthTwips, int heightTwips)
    : QWidget(nullptr, Qt::Window), m_page(new QWidget), m_scrollArea(new QScrollArea(this)) {
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(caption);
    // The form's controls, placed by the derived form's constructor, take its scale.
    currentDisplayScale() = 1.0;
    if (fittedArea().isValid()) {
        m_scale = displayScaleFor(twipSizeToPixels(widthTwips, heightTwips), fittedArea());
    }
    currentDisplayScale() = m_scale;
    const QSize designed = twipSizeToPixels(widthTwips, heightTwips);
    m_page->setObjectName(QStringLiteral("page"));
    m_page->setFixedSize(designed);
    m_scrollArea->setObjectName(QStringLiteral("scrollArea"));
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setWidgetResizable(false);
    m_scrollArea->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scrollArea->setWidget(m_page);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scrollArea);
    setMinimumSize(SMALLEST_WINDOW);
    resize(designed);
}

void Form::fitToScreen(const QWidget* owner) {
    QScreen* screen = owner && owner->isVisible() ? owner->screen() : this->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect available = screen->availableGeometry();
    QMargins frame = TYPICAL_FRAME;
    if (m_fitted && isVisible()) {
        const QRect outer = frameGeometry();
        const QRect inner = geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    }
    QSize wanted = m_fitted ? size() : m_page->size();
    if (!m_fitted) {
        // Where one direction must scroll, its scroll bar takes room from the
        // other: give that room back when the screen has it, so only one bar shows.
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scrollArea);
        const QSize room =
            available.size() - QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
        const bool tooHigh = wanted.height() > room.height();
        const bool tooWide = wanted.width() > room.width();
        if (tooHigh && !tooWide) wanted.rwidth() += bar;
        if (tooWide && !tooHigh) wanted.rheight() += bar;
    }
    QPoint topLeft = m_fitted ? pos() + QPoint(frame.left(), frame.top())
                              : available.topLeft() + QPoint(frame.left(), frame.top()) +
                                    QPoint(std::max(0, (available.width() - wanted.width()) / 2),
                                           std::max(0, (available.height() - wanted.height()) / 2));
    if (owner && owner->isVisible()) {
        const QRect ownerArea = owner->geometry();
        topLeft = ownerArea.center() - QPoint(wanted.width() / 2, wanted.height() / 2);
    }
    const QRect placed = fittedWindowRect(wanted, topLeft, available, frame);
    resize(placed.size());
    move(placed.topLeft() - QPoint(frame.left(), frame.top()));
    m_fitted = true;
}

void Form::showModeless() { showModelessOver(nullptr); }

void Form::showModelessOver(const QWidget* owner) {
    // Fonts once all controls exist, before the first showing.
    if (!m_fitted && m_scale != 1.0) scaleFonts(this, m_scale);
    if (!m_fitted || owner) fitToScreen(owner);
    show();
    // The headless test platform has no stacking order to change.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) raise();
    activateWindow();
}

void Form::setDefaultButton(QPushButton* button) {
    if (m_defaultButton) m_defaultButton->setDefault(false);
    m_defaultButton = button;
    if (button) button->setDefault(true);
}

void Form::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && m_defaultButton &&
        m_defaultButton->isVisible() && m_defaultButton->isEnabled()) {
        m_defaultButton->click();
        return;
    }
    if (m_closedByEscape && event->key() == Qt::Key_Escape &&
        event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Form::closeEvent(QCloseEvent* event) {
    event->ignore();
    unload();
}

}  // namespace korvana::forms
