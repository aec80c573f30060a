#include "platform/form.h"

#include "platform/announcer.h"
#include "platform/control.h"
#include "platform/platform.h"
#include "platform/twips.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QScreen>
#include <algorithm>

namespace platform {

namespace {

class FormWidget : public QWidget {
public:
    explicit FormWidget(Form* form) : form_(form) {
        // Keys are looked at before the focused control sees them, as arrows would otherwise only
        // move the focus between buttons.
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::KeyPress || !form_->OnKeyPreview || !watched->isWidgetType()) return false;
        auto* target = static_cast<QWidget*>(watched);
        if (target->window() != this) return false;
        // A key goes first to the focused control, then up through its parents: look at it once.
        if (target != this && target != focusWidget()) return false;
        const auto* key = static_cast<QKeyEvent*>(e);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
        bool used = false;
        RunHandler([&] { used = form_->OnKeyPreview(key->key()); });
        if (used) setAttribute(Qt::WA_KeyboardFocusChange);
        return used;
    }

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::WindowActivate) {
            if (form_->OnActivate) RunHandler(form_->OnActivate);
            // The first control of the course's Tab order, rather than the first one built.
            if (form_->TabOrder && !focusWidget()) focusNextPrevChild(true);
        }
        return QWidget::event(e);
    }
    bool focusNextPrevChild(bool next) override {
        if (!form_->TabOrder) return QWidget::focusNextPrevChild(next);
        std::vector<QWidget*> chain;
        // Any control that takes the focus: the toolkit takes Tab focus from the unchecked buttons of an
        // exclusive group once one of them has the focus, which would leave all answers but one out.
        for (Control* c : form_->TabOrder()) {
            if (c && c->Reachable() && c->Widget()->focusPolicy() != Qt::NoFocus) chain.push_back(c->Widget());
        }
        if (chain.empty()) return false;
        const auto at = std::find(chain.begin(), chain.end(), focusWidget());
        const auto n = static_cast<std::ptrdiff_t>(chain.size());
        std::ptrdiff_t i = at == chain.end() ? (next ? 0 : n - 1) : (at - chain.begin() + (next ? 1 : n - 1)) % n;
        chain[static_cast<size_t>(i)]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (form_->OnKey) {
            const int key = e->key();
            RunHandler([&] { form_->OnKey(key); });
        }
        QWidget::keyPressEvent(e);
    }
    void closeEvent(QCloseEvent* e) override {
        if (form_->OnClose) RunHandler(form_->OnClose);
        e->accept();
    }

private:
    Form* form_;
};

// Screen readers take a window for a frame, whose title they read, only if it says it is one; a plain
// widget would be an anonymous filler.
QAccessibleInterface* FormAccessible(const QString&, QObject* object) {
    if (auto* w = dynamic_cast<FormWidget*>(object)) return new QAccessibleWidget(w, QAccessible::Window);
    return nullptr;
}

}  // namespace

Form::Form(QString name) : name_(std::move(name)) {
    static const bool installed = [] {
        QAccessible::installFactory(FormAccessible);
        return true;
    }();
    Q_UNUSED(installed);
    auto* w = new FormWidget(this);
    w->setObjectName(name_);
    w->setAutoFillBackground(true);
    widget_ = w;
}

Form::~Form() {
    announcer_.reset();
    delete widget_.data();
}

void Form::SetWidth(double v) {
    width_ = v;
    Resize();
}

void Form::SetHeight(double v) {
    height_ = v;
    Resize();
}

void Form::Resize() {
    const QSize size(std::max(1, ToPixels(width_, P().TwipsPerPixelX())),
                     std::max(1, ToPixels(height_, P().TwipsPerPixelY())));
    if (fixed_) {
        widget_->setFixedSize(size);
    } else {
        widget_->resize(size);
    }
}

void Form::SetCaption(const QString& caption) { widget_->setWindowTitle(caption); }

void Form::SetAccessibleName(const QString& name) { widget_->setAccessibleName(name); }

void Form::SetBackColor(const QColor& color) {
    QPalette pal = widget_->palette();
    pal.setColor(QPalette::Window, color);
    widget_->setPalette(pal);
}

void Form::SetBorderless() {
    widget_->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::Tool);
}

void Form::SetIcon(const QPixmap& icon) { widget_->setWindowIcon(QIcon(icon)); }

void Form::SetFixedDialog() {
    fixed_ = true;
    widget_->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                            Qt::MSWindowsFixedSizeDialogHint);
    // The course window is a tool window, which the toolkit does not count: closing a dialog
    // from its title bar would otherwise end the program.
    widget_->setAttribute(Qt::WA_QuitOnClose, false);
    Resize();
}

void Form::Show() {
    if (!widget_->isVisible()) previous_ = QApplication::activeWindow();
    const QScreen* screen = QGuiApplication::primaryScreen();
    // A window already on screen stays where the learner left it and only comes to the front.
    if (screen && !widget_->isVisible()) {
        const QRect area = screen->geometry();
        widget_->move(area.left() + (area.width() - widget_->width()) / 2,
                      area.top() + (area.height() - widget_->height()) / 2);
    }
    widget_->show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) widget_->raise();
    widget_->activateWindow();
}

void Form::Hide() {
    const bool active = widget_->isActiveWindow();
    widget_->hide();
    if (active && previous_ && previous_ != widget_ && previous_->isVisible()) previous_->activateWindow();
}

void Form::Announce(const QString& text) {
    P().Announced(text);
    if (!announcer_) announcer_ = std::make_unique<Announcer>(widget_);
    announcer_->Say(text);
}

}  // namespace platform
